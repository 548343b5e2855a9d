#include "hardware/sound/Recorder.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace hw {
namespace {

constexpr std::int64_t kChunkFrames = Speaker::kRate / 10;

}  // namespace

std::unique_ptr<WaveWriter> WaveWriter::Create(const std::filesystem::path& file, int rate, int channels,
                                               std::string& error) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
  if (!sound) {
    error = "cannot write the recording " + file.string() + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  return std::unique_ptr<WaveWriter>(new WaveWriter(sound, channels));
}

WaveWriter::~WaveWriter() { sf_close(static_cast<SNDFILE*>(file_)); }

bool WaveWriter::Write(std::span<const std::int16_t> samples) {
  const sf_count_t frames = sf_count_t(samples.size()) / channels_;
  return sf_writef_short(static_cast<SNDFILE*>(file_), samples.data(), frames) == frames;
}

void WaveWriter::Flush() { sf_command(static_cast<SNDFILE*>(file_), SFC_UPDATE_HEADER_NOW, nullptr, 0); }

Recorder::Recorder(std::filesystem::path file, Speaker& speaker) : file_(std::move(file)), speaker_(speaker) {
  speaker_.HoldFrom(0);
}

Recorder::~Recorder() { speaker_.HoldFrom(std::nullopt); }

std::string Recorder::CheckPlace(const std::filesystem::path& file) {
  const std::string cannot = "cannot write the recording " + file.string() + ": ";
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return cannot + "it is a folder";
  std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  if (!std::filesystem::is_directory(folder, ec)) return cannot + "there is no folder " + folder.string();
  if (::access(folder.c_str(), W_OK) != 0) return cannot + "the folder " + folder.string() + " is read-only";
  return {};
}

bool Recorder::Start(std::uint64_t nowUs) {
  std::string error;
  writer_ = WaveWriter::Create(file_, Speaker::kRate, 2, error);
  if (!writer_) {
    fileError_ = error;
    return false;
  }
  CatchUp(nowUs);
  return !fileError_;
}

void Recorder::CatchUp(std::uint64_t nowUs) {
  if (!writer_) return;
  const std::int64_t end = FrameAt(nowUs);
  if (end <= written_) return;
  std::vector<std::int16_t> chunk;
  while (written_ < end) {
    const std::int64_t count = std::min(kChunkFrames, end - written_);
    chunk.resize(std::size_t(count) * 2);
    speaker_.Mix(written_, chunk);
    if (!writer_->Write(chunk) && !fileError_)
      fileError_ = "the recording " + file_.string() + " was cut short: the disk refused its sound";
    written_ += count;
  }
  writer_->Flush();
  speaker_.HoldFrom(written_);
}

void Recorder::Finish(std::uint64_t nowUs) {
  CatchUp(nowUs);
  writer_.reset();
}

}  // namespace hw
