#include "hardware/sd/BusTrace.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "hardware/sd/SdHost.h"

namespace hw {

namespace {

void AppendHex(std::string& out, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::uint8_t b : bytes) {
    const char text[3] = {' ', kDigits[b >> 4], kDigits[b & 15]};
    out.append(text, 3);
  }
}

template <class Number>
void AppendNumber(std::string& out, Number value, int base = 10) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, base);
  out.append(text, end);
}

}  // namespace

std::string BusTrace::LineOf(const BusRequest& request) {
  const SdioArgument arg =
      request.command == kCmdIoRwExtended ? DecodeExtended(request.argument) : DecodeDirect(request.argument);
  std::string line = "t=";
  AppendNumber(line, request.ms);
  line += " CMD";
  AppendNumber(line, unsigned{request.command});
  line += arg.write ? " W fn=" : " R fn=";
  AppendNumber(line, arg.function);
  line += " reg=0x";
  AppendNumber(line, arg.address, 16);
  AppendHex(line, request.bytes);
  line += " status=";
  AppendNumber(line, static_cast<int>(request.status));
  // The argument in eight upper-case hex digits.
  static constexpr char kUpper[] = "0123456789ABCDEF";
  char hex[8];
  for (int i = 0; i < 8; ++i) hex[i] = kUpper[(request.argument >> (28 - 4 * i)) & 15];
  line += " arg=0x";
  line.append(hex, 8);
  return line;
}

void BusTrace::Kept::Keep(const BusRequest& r) {
  request = r;
  request.bytes = {};
  size = static_cast<std::uint32_t>(r.bytes.size());
  if (r.bytes.size() <= kInline)
    std::copy(r.bytes.begin(), r.bytes.end(), inSlot);
  else
    longer.assign(r.bytes.begin(), r.bytes.end());
}

BusRequest BusTrace::Kept::Request() const {
  BusRequest r = request;
  r.bytes = size <= kInline ? std::span<const std::uint8_t>(inSlot, size) : std::span<const std::uint8_t>(longer);
  return r;
}

void BusTrace::Record(const BusRequest& request) {
  std::lock_guard lock(mutex_);
  Kept* kept;
  if (ring_.size() < kMemoryLines) {
    if (ring_.capacity() < kMemoryLines) ring_.reserve(kMemoryLines);
    kept = &ring_.emplace_back();
  } else {
    kept = &ring_[oldest_];  // the oldest request gives way, its storage kept
    oldest_ = (oldest_ + 1) % kMemoryLines;
  }
  kept->Keep(request);
  if (!file_.is_open()) return;
  const std::string line = LineOf(request);
  file_ << line << '\n' << std::flush;
  if (!file_) {
    fileError_ = "cannot write the bus trace " + path_.string() + ": " + std::strerror(errno) +
                 "; the lines from \"" + line + "\" on are missing";
    file_.close();
  }
}

std::optional<std::string> BusTrace::FileError() const {
  std::lock_guard lock(mutex_);
  return fileError_;
}

std::vector<std::string> BusTrace::Lines() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> lines;
  lines.reserve(ring_.size());
  for (std::size_t i = 0; i < ring_.size(); ++i) lines.push_back(LineOf(ring_[(oldest_ + i) % ring_.size()].Request()));
  return lines;
}

void BusTrace::Clear() {
  std::lock_guard lock(mutex_);
  ring_.clear();
  oldest_ = 0;
}

std::optional<std::string> BusTrace::SetFile(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  if (path.empty()) {
    file_.close();
    return std::nullopt;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return "cannot write the bus trace " + path.string() + ": " + std::strerror(errno);
  file_ = std::move(file);
  path_ = path;
  fileError_.reset();
  return std::nullopt;
}

}  // namespace hw
