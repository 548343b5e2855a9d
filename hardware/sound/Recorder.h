// Records what the speaker plays into a wave file: 48 kHz, 16-bit stereo
// PCM, frame n at clock time n / 48000 s from boot. The recording follows
// the clock: each CatchUp writes what the speaker played up to then, and
// the file is a complete wave file after every CatchUp, so a run that is
// cut short still leaves what it had played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "hardware/sound/Speaker.h"

namespace hw {

class WaveWriter;

class Recorder {
 public:
  // nullptr, with the reason, when the file cannot be written.
  static std::unique_ptr<Recorder> Open(const std::filesystem::path& file, Speaker& speaker, std::string& error);
  ~Recorder();  // releases the speaker's hold; call Finish first to write the end
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Writes the frames up to clock time nowUs.
  void CatchUp(std::uint64_t nowUs);
  // Writes the frames up to nowUs and closes the file.
  void Finish(std::uint64_t nowUs);
  std::int64_t frames() const { return written_; }

 private:
  Recorder(std::unique_ptr<WaveWriter> writer, Speaker& speaker);

  std::unique_ptr<WaveWriter> writer_;
  Speaker& speaker_;
  std::int64_t written_ = 0;
};

// A 16-bit PCM wave file being written.
class WaveWriter {
 public:
  static std::unique_ptr<WaveWriter> Create(const std::filesystem::path& file, int rate, int channels,
                                            std::string& error);
  ~WaveWriter();
  WaveWriter(const WaveWriter&) = delete;
  WaveWriter& operator=(const WaveWriter&) = delete;
  // Interleaved samples, whole frames; false when the disk refused them.
  bool Write(std::span<const std::int16_t> samples);
  // Makes the file complete as it stands.
  void Flush();

 private:
  WaveWriter(void* file, int channels) : file_(file), channels_(channels) {}
  void* file_;
  int channels_;
};

}  // namespace hw
