#include "platform/sound/Wave.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace ce::sound {
namespace {

// The file's bytes as libsndfile's virtual file: reads never go past them.
struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  sf_count_t at = 0;
};

sf_count_t Length(void* file) { return sf_count_t(static_cast<MemoryFile*>(file)->bytes.size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* file) {
  auto& memory = *static_cast<MemoryFile*>(file);
  sf_count_t base = whence == SEEK_CUR ? memory.at : whence == SEEK_END ? Length(file) : 0;
  memory.at = std::clamp<sf_count_t>(base + offset, 0, Length(file));
  return memory.at;
}

sf_count_t Read(void* out, sf_count_t count, void* file) {
  auto& memory = *static_cast<MemoryFile*>(file);
  sf_count_t n = std::clamp<sf_count_t>(Length(file) - memory.at, 0, count);
  std::copy_n(memory.bytes.data() + memory.at, n, static_cast<std::uint8_t*>(out));
  memory.at += n;
  return n;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* file) { return static_cast<MemoryFile*>(file)->at; }

struct Closer {
  void operator()(SNDFILE* sound) const { sf_close(sound); }
};

}  // namespace

std::optional<hw::Sound> ParseWave(std::span<const std::uint8_t> bytes, std::string& error) {
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  MemoryFile memory{bytes};
  SF_INFO info{};
  std::unique_ptr<SNDFILE, Closer> sound(sf_open_virtual(&io, SFM_READ, &info, &memory));
  if (!sound) {
    error = std::string("not a playable sound file: ") + sf_strerror(nullptr);
    return std::nullopt;
  }
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) {
    error = "not a RIFF WAVE file";
    return std::nullopt;
  }
  if (subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_16) {
    error = "not 8-bit or 16-bit uncompressed PCM";
    return std::nullopt;
  }
  if (info.channels < 1 || info.channels > 2 || info.samplerate < 1000 || info.samplerate > 192000) {
    error = "unplayable PCM: " + std::to_string(info.channels) + " channels at " + std::to_string(info.samplerate) +
            " Hz";
    return std::nullopt;
  }
  hw::Sound result;
  result.rate = info.samplerate;
  result.channels = info.channels;
  result.samples.resize(std::size_t(info.frames) * std::size_t(info.channels));
  // A data chunk that claims more than the file holds plays the frames
  // that are there, as libsndfile reads them.
  const sf_count_t read = sf_readf_short(sound.get(), result.samples.data(), info.frames);
  result.samples.resize(std::size_t(std::max<sf_count_t>(read, 0)) * std::size_t(info.channels));
  if (result.samples.empty()) {
    error = "no sound in the data chunk";
    return std::nullopt;
  }
  return result;
}

}  // namespace ce::sound
