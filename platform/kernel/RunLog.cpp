#include "platform/kernel/RunLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace ce {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class RunLog {
 public:
  static RunLog& Instance();
  void Append(std::string line) {
    std::lock_guard lock(mutex_);
    if (file_) {
      // Flushed line by line: a run that is killed still leaves its log.
      bool written = std::fwrite(line.data(), 1, line.size(), file_.get()) == line.size();
      written = std::fputc('\n', file_.get()) != EOF && written;
      written = std::fflush(file_.get()) == 0 && written;
      if (!written) {
        fileError_ = "cannot write the run's log to " + path_.string() + ": " + std::strerror(errno) +
                     "; the lines from \"" + line + "\" on are missing";
        file_.reset();
      }
    }
    if (lines_.size() == kRunLogMemoryLines) lines_.pop_front();
    lines_.push_back(std::move(line));
  }

  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
  }

  void Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

  std::optional<std::string> SetFile(const std::filesystem::path& path) {
    FilePtr file;
    if (!path.empty()) {
      file.reset(std::fopen(path.c_str(), "w"));
      if (!file) return "cannot write the run's log to " + path.string() + ": " + std::strerror(errno);
    }
    std::lock_guard lock(mutex_);
    file_ = std::move(file);
    path_ = path;
    fileError_.reset();
    return std::nullopt;
  }

  std::optional<std::string> FileError() const {
    std::lock_guard lock(mutex_);
    return fileError_;
  }

 private:
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
  FilePtr file_;
  std::filesystem::path path_;
  std::optional<std::string> fileError_;
};

RunLog& RunLog::Instance() {
  static RunLog log;
  return log;
}

}  // namespace

std::string SingleLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // CR LF: one break
    line.push_back(c == '\r' || c == '\n' ? ' ' : c);
  }
  return line;
}

void LogLine(std::string_view line) { RunLog::Instance().Append(SingleLine(line)); }

std::vector<std::string> RunLogLines() { return RunLog::Instance().Lines(); }

void ClearRunLog() { RunLog::Instance().Clear(); }

std::optional<std::string> SetRunLogFile(const std::filesystem::path& path) { return RunLog::Instance().SetFile(path); }

std::optional<std::string> RunLogFileError() { return RunLog::Instance().FileError(); }

}  // namespace ce
