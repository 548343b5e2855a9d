#include "platform/kernel/RegistryWrites.h"

#include <cstdio>

#include "platform/kernel/Registry.h"
#include "platform/kernel/RegistryStore.h"
#include "platform/kernel/RunLog.h"
#include "winerror.h"

namespace ce {
namespace {

thread_local int t_messageDepth = 0;   // messages this thread is handling, nested
thread_local bool t_holdsGroup = false;  // it has writes kept together

}  // namespace

RegistryWriteGroup::RegistryWriteGroup() { ++t_messageDepth; }

RegistryWriteGroup::~RegistryWriteGroup() {
  if (--t_messageDepth == 0) CommitRegistryWrites();
}

void CommitRegistryWrites() {
  if (!t_holdsGroup) return;
  t_holdsGroup = false;
  if (auto store = reg::MountedRegistry()) store->EndGroup();
}

namespace reg {

bool ThreadKeepsWritesTogether() { return t_messageDepth > 0; }

LONG ErrorCodeOf(const SqlError& error) {
  switch (error.code() & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_REGISTRY_CORRUPT;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_SHARING_VIOLATION;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    default:
      return IsRoomProblem(error) ? ERROR_DISK_FULL : ERROR_REGISTRY_IO_FAILED;
  }
}

RegistryWrites::RegistryWrites(Database& db, std::filesystem::path file, std::function<std::string(KeyId)> keyPath,
                               bool together)
    : db_(db), file_(std::move(file)), keyPath_(std::move(keyPath)), together_(together) {}

RegistryWrites::~RegistryWrites() { Finish(); }

namespace {

// The body in a transaction of its own (a savepoint inside a group),
// committed when it succeeds; a database failure is thrown on.
LONG InTransaction(Database& db, const std::function<LONG()>& body) {
  Transaction write(db, Transaction::Kind::Write);
  LONG rc = body();
  if (rc == ERROR_SUCCESS) write.Commit();
  return rc;
}

}  // namespace

LONG RegistryWrites::Run(const WriteTarget& target, const std::function<LONG()>& body) {
  try {
    if (!group_ && together_ && ThreadKeepsWritesTogether()) {
      auto transaction = std::make_unique<Transaction>(db_, Transaction::Kind::Write);
      group_.emplace(Group{std::this_thread::get_id(), std::move(transaction), {}, std::nullopt});
      t_holdsGroup = true;
    }
    if (!group_) return InTransaction(db_, body);
  } catch (const SqlError& error) {
    Report({target}, error);
    return ErrorCodeOf(error);
  }
  // A write of another thread while a group is open joins it: they share
  // the one connection, and so its transaction.
  if (group_->failure) return ErrorCodeOf(*group_->failure);  // the group is lost already
  group_->targets.push_back(target);
  try {
    return InTransaction(db_, body);
  } catch (const SqlError& error) {
    group_->failure = error;  // the whole group goes when it ends
    return ErrorCodeOf(error);
  }
}

void RegistryWrites::EndGroup() {
  if (group_ && group_->owner == std::this_thread::get_id()) Finish();
}

void RegistryWrites::Finish() {
  if (!group_) return;
  Group group = std::move(*group_);
  group_.reset();
  if (!group.failure) {
    try {
      group.transaction->Commit();
      return;
    } catch (const SqlError& error) {
      group.failure = error;
    }
  }
  group.transaction.reset();  // rolls back every write of the group
  Report(group.targets, *group.failure);
}

std::string RegistryWrites::Describe(const WriteTarget& target) const {
  std::string text = keyPath_(target.key);
  for (const std::string& name : target.below) text += "\\" + name;
  if (!target.value.empty()) return text + " value \"" + target.value + "\"";
  return "the key " + text;
}

void RegistryWrites::Report(const std::vector<WriteTarget>& targets, const SqlError& error) {
  if (reported_ || targets.empty() || file_.empty()) return;  // the device's RAM does not fill up
  reported_ = true;
  std::string what = Describe(targets.front());
  if (targets.size() > 1) what += " and " + std::to_string(targets.size() - 1) + " more";
  std::string line = "cannot write " + what + " to " + file_.string() + ": " + CauseOf(error) +
                     "; settings were not saved";
  LogLine(line);
  line = "ondrel: " + line + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace reg
}  // namespace ce
