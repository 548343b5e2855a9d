#include "hardware/sd/BusTrace.h"

#include <cerrno>
#include <cstring>

namespace hw {

void BusTrace::Record(const std::string& line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(line);
  if (lines_.size() > kMemoryLines) lines_.pop_front();
  if (!file_.is_open()) return;
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
  return {lines_.begin(), lines_.end()};
}

void BusTrace::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
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
