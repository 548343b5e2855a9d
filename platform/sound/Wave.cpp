#include "platform/sound/Wave.h"

#include <cstring>

namespace ce::sound {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

std::optional<hw::Sound> ParseWave(std::span<const std::uint8_t> bytes, std::string& error) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return std::nullopt;
  }
  std::size_t end = bytes.size();
  if (std::size_t riff = std::size_t(Le32(bytes.data() + 4)) + 8; riff < end) end = riff;  // trailing bytes
  std::optional<std::span<const std::uint8_t>> format, data;
  for (std::size_t pos = 12; pos < end;) {
    if (end - pos < 8) {
      error = "chunk header cut short at offset " + std::to_string(pos);
      return std::nullopt;
    }
    std::uint32_t size = Le32(bytes.data() + pos + 4);
    if (size > end - pos - 8) {
      error = "chunk '" + std::string(reinterpret_cast<const char*>(bytes.data() + pos), 4) + "' of " +
              std::to_string(size) + " bytes runs past the end of the file";
      return std::nullopt;
    }
    auto body = bytes.subspan(pos + 8, size);
    if (std::memcmp(bytes.data() + pos, "fmt ", 4) == 0 && !format) format = body;
    if (std::memcmp(bytes.data() + pos, "data", 4) == 0 && !data) data = body;
    pos += 8 + std::size_t(size) + (size & 1);
  }
  if (!format || format->size() < 16) {
    error = "no format chunk";
    return std::nullopt;
  }
  if (!data) {
    error = "no data chunk";
    return std::nullopt;
  }
  const std::uint8_t* f = format->data();
  std::uint16_t tag = Le16(f), channels = Le16(f + 2), blockAlign = Le16(f + 12), bits = Le16(f + 14);
  std::uint32_t rate = Le32(f + 4);
  if (tag != 1) {
    error = "format " + std::to_string(tag) + " is not uncompressed PCM";
    return std::nullopt;
  }
  if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 1000 || rate > 192000 ||
      blockAlign != channels * bits / 8) {
    error = "unplayable PCM: " + std::to_string(channels) + " channels, " + std::to_string(bits) + " bits, " +
            std::to_string(rate) + " Hz, blocks of " + std::to_string(blockAlign);
    return std::nullopt;
  }
  hw::Sound sound;
  sound.rate = int(rate);
  sound.channels = channels;
  std::size_t frames = data->size() / blockAlign;
  sound.samples.reserve(frames * channels);
  for (std::size_t i = 0; i < frames * channels; ++i) {
    if (bits == 8)
      sound.samples.push_back(std::int16_t((int((*data)[i]) - 128) * 256));
    else
      sound.samples.push_back(std::int16_t(Le16(data->data() + 2 * i)));
  }
  return sound;
}

}  // namespace ce::sound
