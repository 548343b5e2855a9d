// The registry database of one device root. Nothing is cached between
// calls: every read asks the database, every write is one transaction, so
// another process on the same root sees a change as soon as the call that
// made it returns. One connection, used by one thread at a time.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/kernel/RegistryData.h"
#include "platform/kernel/RegistrySql.h"
#include "platform/kernel/RegistryWrites.h"

namespace ce::reg {

// Why a database operation failed, in words for the person at the device
// ("the disk is full", "the registry file is read-only", ...).
std::string CauseOf(const SqlError& error);
// The disk (or the file's allowance on it) has no room for the write.
bool IsRoomProblem(const SqlError& error);

class RegistryStore {
 public:
  enum class Mode {
    ReadWrite,  // created with the schema when the file is absent or empty
    ReadOnly,   // only read: the file must exist; it is never changed
  };
  // Opens the database. A file that cannot be opened, is damaged or is
  // not a registry is left as it is; the result is then a message for the
  // user.
  static std::variant<std::unique_ptr<RegistryStore>, std::string> Open(const std::filesystem::path& file,
                                                                        Mode mode = Mode::ReadWrite);
  // A registry of this process alone, in its memory, gone with it: the
  // device's RAM, for the keys that live there.
  static std::unique_ptr<RegistryStore> InMemory();

  struct Token {  // only Open constructs a store
   private:
    friend class RegistryStore;
    Token() = default;
  };
  RegistryStore(Token, const std::filesystem::path& file, Database db);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // Each returns ERROR_SUCCESS or the platform's error code. A key id that
  // no longer exists gives ERROR_KEY_DELETED.
  LONG CreateKey(KeyId base, std::span<const std::string> path, KeyId& key, bool& created);
  LONG OpenKey(KeyId base, std::span<const std::string> path, KeyId& key);
  LONG DeleteKey(KeyId base, std::span<const std::string> path);  // with everything below it
  LONG SetValue(KeyId key, const Value& value);
  LONG QueryValue(KeyId key, std::string_view name, Value& value);
  LONG DeleteValue(KeyId key, std::string_view name);
  LONG EnumKey(KeyId key, DWORD index, std::string& name);
  LONG EnumValue(KeyId key, DWORD index, Value& value);

  // The whole registry, every key (also empty ones) in a stable order:
  // roots by name, each key before its subkeys, siblings by folded name.
  std::optional<std::string> Snapshot(std::vector<KeyContents>& keys);
  // Applies all edits in one transaction: all of them or none.
  std::optional<std::string> Apply(std::span<const Edit> edits);

  // PRAGMA quick_check; nullopt when the database is sound.
  std::optional<std::string> CheckIntegrity();

  // Commits the writes the calling thread kept together while it handled
  // a message (kernel/RegistryWrites.h).
  void EndGroup();

 private:
  void Prepare(bool keepTogether);
  std::string KeyPath(KeyId key);
  bool KeyExists(KeyId key);
  std::optional<KeyId> Child(KeyId parent, std::string_view folded);
  std::optional<KeyId> Walk(KeyId base, std::span<const std::string> path);
  KeyId Insert(KeyId parent, const std::string& name);
  void Delete(KeyId key);
  void Upsert(KeyId key, const Value& value);
  LONG Failure(const SqlError& error);

  std::filesystem::path file_;
  std::mutex mutex_;
  Database db_;
  // Prepared once; declared after db_ so they are finalized before it closes.
  struct Statements;
  std::unique_ptr<Statements> sql_;
  std::unique_ptr<RegistryWrites> writes_;  // goes first: it may still commit
};

// The store MountRegistry opened, or nullptr. Callers keep the pointer for
// the length of one call, so unmounting never pulls it from under them.
std::shared_ptr<RegistryStore> MountedRegistry();

}  // namespace ce::reg
