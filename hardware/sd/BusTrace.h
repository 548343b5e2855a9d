// The log of every request on the SD bus, one line each:
//   t=<ms> <CMD53|CMD52> <W|R> fn=<n> reg=0x<hex> <bytes> status=<n> arg=0x<argument>
// with t from the handheld's clock and status the host controller's
// outcome (hw::SdStatus). Kept in memory (the latest kMemoryLines) for
// tests and the dump, and written to a file as it happens when one is set.
// The memory is a ring of requests as they were made, put into words only
// when someone reads them: a bus that polls the card all day records a few
// numbers and bytes each time, into storage that it keeps.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hardware/sd/SdCard.h"

namespace hw {

// One request as the host saw it, with the bytes its line shows: those a
// write offered or a read brought back.
struct BusRequest {
  std::uint64_t ms = 0;
  std::uint8_t command = 0;
  std::uint32_t argument = 0;
  SdStatus status = SdStatus::Ok;
  std::span<const std::uint8_t> bytes;
};

class BusTrace {
 public:
  static constexpr std::size_t kMemoryLines = 4096;

  void Record(const BusRequest& request);
  std::vector<std::string> Lines() const;
  static std::string LineOf(const BusRequest& request);
  void Clear();  // the in-memory lines only

  // Writes the trace to the file from now on (created or emptied first);
  // returns why it cannot, naming the file. An empty path stops writing.
  std::optional<std::string> SetFile(const std::filesystem::path& path);
  // Why the file stopped taking lines (a full disk, ...), naming it;
  // nullopt while every line reached it.
  std::optional<std::string> FileError() const;

 private:
  // A request kept in the ring (request.bytes unused). The bytes of a
  // register block fit in the slot itself, so that a bus polling its card
  // allocates nothing once the ring has its room; longer transfers keep
  // theirs beside it, in storage the slot keeps.
  struct Kept {
    static constexpr std::size_t kInline = 16;
    BusRequest request;
    std::uint32_t size = 0;
    std::uint8_t inSlot[kInline] = {};
    std::vector<std::uint8_t> longer;

    void Keep(const BusRequest& r);
    BusRequest Request() const;
  };

  mutable std::mutex mutex_;
  std::vector<Kept> ring_;         // at most kMemoryLines
  std::size_t oldest_ = 0;          // where the oldest line is once the ring is full
  std::ofstream file_;
  std::filesystem::path path_;
  std::optional<std::string> fileError_;
};

}  // namespace hw
