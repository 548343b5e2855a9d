// Records what the speaker plays into a wave file: 48 kHz, 16-bit stereo
// PCM, frame n at clock time n / 48000 s from boot. The recording follows
// the clock: each CatchUp writes what the speaker played up to then, and
// the file is a complete wave file after every CatchUp, so a run that is
// cut short still leaves what it had played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "hardware/sound/Speaker.h"

namespace hw {

class WaveWriter;

class Recorder {
 public:
  // Holds what the speaker plays from boot on; nothing is written until
  // Start opens the file.
  Recorder(std::filesystem::path file, Speaker& speaker);
  ~Recorder();  // releases the speaker's hold; call Finish first to write the end
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Empty when the file can be made where it is asked for (its folder is
  // there and is not read-only), else why not: checked before a run, so
  // that a recording that cannot be written stops it before it starts.
  static std::string CheckPlace(const std::filesystem::path& file);
  // Creates the file (replacing one there) and writes what was played so
  // far; false when it cannot be written (FileError says why).
  bool Start(std::uint64_t nowUs);
  // Writes the frames up to clock time nowUs, once started.
  void CatchUp(std::uint64_t nowUs);
  // Writes the frames up to nowUs and closes the file.
  void Finish(std::uint64_t nowUs);
  std::int64_t frames() const { return written_; }
  // The first failure to write the recording, if any.
  const std::optional<std::string>& FileError() const { return fileError_; }

 private:
  std::filesystem::path file_;
  std::unique_ptr<WaveWriter> writer_;
  Speaker& speaker_;
  std::int64_t written_ = 0;
  std::optional<std::string> fileError_;
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
