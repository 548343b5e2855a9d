#include "sd/BusTrace.h"

#include <cerrno>
#include <cstring>

namespace hw {

void BusTrace::Record(const std::string& line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(line);
  if (lines_.size() > kMemoryLines) lines_.pop_front();
  if (file_.is_open()) file_ << line << '\n' << std::flush;
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
  return std::nullopt;
}

}  // namespace hw
