#include "hardware/sd/BusTrace.h"

#include <cerrno>
#include <cstring>

namespace hw {

void BusTrace::Record(std::string_view line) {
  std::lock_guard lock(mutex_);
  if (ring_.size() < kMemoryLines) {
    ring_.emplace_back(line);
  } else {
    ring_[oldest_].assign(line);  // the oldest line gives way, its storage kept
    oldest_ = (oldest_ + 1) % kMemoryLines;
  }
  if (!file_.is_open()) return;
  file_ << line << '\n' << std::flush;
  if (!file_) {
    fileError_ = "cannot write the bus trace " + path_.string() + ": " + std::strerror(errno) +
                 "; the lines from \"" + std::string(line) + "\" on are missing";
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
  for (std::size_t i = 0; i < ring_.size(); ++i) lines.push_back(ring_[(oldest_ + i) % ring_.size()]);
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
