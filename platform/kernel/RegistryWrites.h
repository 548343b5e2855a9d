// How the registry store's writes reach its database. Each write is one
// transaction, except while the writing thread handles a message: the
// writes made then are kept together and committed as one when the
// handling ends or the thread next asks for a message, so that what a
// program stores in one go (its settings as it closes) lands whole or not
// at all, also when the disk fills up or the process is killed halfway.
//
// A write that fails is reported once per mount, in one line on the run's
// log and on stderr: what was to be written, where, why, and that the
// settings were not saved. The program's own calls learn only the error
// code, as the platform's callers always have.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/RegistryData.h"
#include "platform/kernel/RegistrySql.h"

namespace ce::reg {

// The platform's error code for a failed database operation.
LONG ErrorCodeOf(const SqlError& error);

// True while the calling thread handles a message (the window manager
// says when), so its writes are kept together.
bool ThreadKeepsWritesTogether();

// What a write changes, for the report of a failure.
struct WriteTarget {
  KeyId key = 0;
  std::vector<std::string> below;  // a key created under key
  std::string value;               // a value of key, when not empty
};

class RegistryWrites {
 public:
  // keyPath names a key as "HKEY_...\path" (for reports); together: whether
  // writes of a thread that handles a message are kept together.
  RegistryWrites(Database& db, std::filesystem::path file, std::function<std::string(KeyId)> keyPath,
                 bool together);
  ~RegistryWrites();  // commits what a group still holds
  RegistryWrites(const RegistryWrites&) = delete;
  RegistryWrites& operator=(const RegistryWrites&) = delete;

  // Runs body as one write: its result, or the code of the failure it
  // threw. The caller holds the store's lock.
  LONG Run(const WriteTarget& target, const std::function<LONG()>& body);
  // Commits the writes the calling thread kept together, if any.
  void EndGroup();

 private:
  struct Group {
    std::thread::id owner;
    std::unique_ptr<Transaction> transaction;
    std::vector<WriteTarget> targets;
    std::optional<SqlError> failure;
  };
  void Finish();
  void Report(const std::vector<WriteTarget>& targets, const SqlError& error);
  std::string Describe(const WriteTarget& target) const;

  Database& db_;
  std::filesystem::path file_;
  std::function<std::string(KeyId)> keyPath_;
  bool together_;
  std::optional<Group> group_;
  bool reported_ = false;
};

}  // namespace ce::reg
