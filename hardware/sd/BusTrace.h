// The log of every request on the SD bus, one line each:
//   t=<ms> <CMD53|CMD52> <W|R> fn=<n> reg=0x<hex> <bytes> status=<n> arg=0x<argument>
// with t from the handheld's clock and status the host controller's
// outcome (hw::SdStatus). Kept in memory (the latest kMemoryLines) for
// tests and the dump, and written to a file as it happens when one is set.
// The memory is a ring of lines that keep their storage, so a bus that
// polls the card all day records without allocating.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hw {

class BusTrace {
 public:
  static constexpr std::size_t kMemoryLines = 4096;

  void Record(std::string_view line);
  std::vector<std::string> Lines() const;
  void Clear();  // the in-memory lines only

  // Writes the trace to the file from now on (created or emptied first);
  // returns why it cannot, naming the file. An empty path stops writing.
  std::optional<std::string> SetFile(const std::filesystem::path& path);
  // Why the file stopped taking lines (a full disk, ...), naming it;
  // nullopt while every line reached it.
  std::optional<std::string> FileError() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> ring_;  // at most kMemoryLines
  std::size_t oldest_ = 0;          // where the oldest line is once the ring is full
  std::ofstream file_;
  std::filesystem::path path_;
  std::optional<std::string> fileError_;
};

}  // namespace hw
