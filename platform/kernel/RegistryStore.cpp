#include "platform/kernel/RegistryStore.h"

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/kernel/RegistryNames.h"
#include "winerror.h"

namespace ce::reg {
namespace {

namespace fs = std::filesystem;

// Marks the file as this handheld's registry ("ONRG") and its layout.
constexpr std::int64_t kApplicationId = 0x4F4E5247;
constexpr std::int64_t kSchemaVersion = 1;

// Roots have no parent. Ids are never reused (AUTOINCREMENT), so a handle
// to a deleted key can never reach a key created later. Names are kept as
// first written; lookups and order use the stored folded name, so a change
// to the folding rule needs a new layout version.
constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES keys(id),
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE(parent, folded));
CREATE TABLE vals(
  key INTEGER NOT NULL REFERENCES keys(id),
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded)) WITHOUT ROWID;
INSERT INTO keys(id, parent, name, folded) VALUES
  (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
  (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER');
PRAGMA application_id = 1330532935;
PRAGMA user_version = 1;
)sql";
static_assert(kApplicationId == 1330532935);

constexpr const char* kSubtree =
    "WITH RECURSIVE subtree(id) AS (SELECT ?1 UNION ALL "
    "SELECT k.id FROM keys k JOIN subtree s ON k.parent = s.id) ";

constexpr int kBusyTimeoutMs = 10000;

std::int64_t PragmaInt(Database& db, const char* sql) {
  Statement statement(db, sql);
  auto run = statement.Start();
  return run.Next() ? run.Int(0) : 0;
}

std::string PragmaText(Database& db, const char* sql) {
  Statement statement(db, sql);
  auto run = statement.Start();
  return run.Next() ? run.Text(0) : std::string();
}

// What the person can do about a registry that cannot be used. Only a
// file that is damaged or not a registry at all is worth moving aside; a
// sound file on a full disk or behind the wrong permissions is not.
enum class Advice { Access, Room, Keep, Replace };

// Told to the user as one line: lower case, parts joined by "; ", no
// closing full stop.
std::string MountProblem(const fs::path& file, const std::string& reason, Advice advice) {
  std::string message = "the registry database '" + file.string() + "' cannot be used: " + reason;
  switch (advice) {
    case Advice::Access:
      message += "; check that the folder exists and that you may read and write the file";
      break;
    case Advice::Room:
      message += "; make room on the disk and start again (the file was left as it is)";
      break;
    case Advice::Keep:
      message += "; the file was left as it is";
      break;
    case Advice::Replace:
      message +=
          "; the file was left as it is (to start with a fresh registry, move the file aside; to restore a "
          "saved registry, move it aside and run `ondrel --import-registry FILE` on a .reg file exported earlier)";
      break;
  }
  return message;
}

bool IsPermissionProblem(const SqlError& error) {
  int code = error.code() & 0xFF;
  return code == SQLITE_CANTOPEN || code == SQLITE_PERM || code == SQLITE_READONLY || code == SQLITE_AUTH ||
         error.systemError() == EACCES || error.systemError() == EPERM;
}

Advice AdviceFor(const SqlError& error) {
  int code = error.code() & 0xFF;
  if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) return Advice::Replace;
  if (IsRoomProblem(error)) return Advice::Room;
  if (IsPermissionProblem(error)) return Advice::Access;
  return Advice::Keep;
}

std::string ProblemOf(const SqlError& error) {
  switch (error.code() & 0xFF) {
    case SQLITE_NOTADB:
      return "it is not a database file";
    case SQLITE_CORRUPT:
      return std::string("it is damaged (") + error.what() + ")";
    default:
      return CauseOf(error);
  }
}

}  // namespace

bool IsRoomProblem(const SqlError& error) {
  int errnum = error.systemError();
  return (error.code() & 0xFF) == SQLITE_FULL || errnum == ENOSPC || errnum == EDQUOT || errnum == EFBIG;
}

std::string CauseOf(const SqlError& error) {
  int errnum = error.systemError();
  if (errnum == ENOSPC || ((error.code() & 0xFF) == SQLITE_FULL && errnum == 0)) return "the disk is full";
  if (IsRoomProblem(error)) return std::string("there is no room to write it (") + std::strerror(errnum) + ")";
  if (errnum == EROFS) return "the disk is read-only";
  if ((error.code() & 0xFF) == SQLITE_READONLY || errnum == EACCES || errnum == EPERM)
    return "the registry file is read-only";
  if ((error.code() & 0xFF) == SQLITE_BUSY) return "another program kept the registry locked";
  std::string cause = error.what();
  if (errnum != 0) cause += std::string(" (") + std::strerror(errnum) + ")";
  return cause;
}

struct RegistryStore::Statements {
  explicit Statements(const Database& db)
      : keyExists(db, "SELECT 1 FROM keys WHERE id = ?1"),
        child(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2"),
        insertKey(db, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)"),
        deleteSubtreeValues(db, std::string(kSubtree) + "DELETE FROM vals WHERE key IN subtree"),
        deleteSubtreeKeys(db, std::string(kSubtree) + "DELETE FROM keys WHERE id IN subtree"),
        upsert(db,
               "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
               "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data"),
        query(db,
              "SELECT v.name, v.type, v.data FROM keys k "
              "LEFT JOIN vals v ON v.key = k.id AND v.folded = ?2 WHERE k.id = ?1"),
        deleteValue(db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2"),
        enumKey(db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2"),
        enumValue(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY folded LIMIT 1 OFFSET ?2"),
        allKeys(db, "SELECT id, parent, name FROM keys WHERE parent IS NOT NULL ORDER BY parent, folded"),
        allValues(db, "SELECT key, name, type, data FROM vals ORDER BY key, folded"),
        keyOf(db, "SELECT parent, name FROM keys WHERE id = ?1") {}

  Statement keyExists, child, insertKey, deleteSubtreeValues, deleteSubtreeKeys, upsert, query, deleteValue, enumKey,
      enumValue, allKeys, allValues, keyOf;
};

RegistryStore::RegistryStore(Token, const fs::path& file, Database db) : file_(file), db_(std::move(db)) {}

RegistryStore::~RegistryStore() = default;

namespace {

// Creates the schema in a database that is absent or empty. Another
// process may be creating it at the same moment; the write lock decides
// who does.
std::optional<std::string> CreateIfEmpty(const fs::path& file, Database& db) {
  if (PragmaInt(db, "SELECT count(*) FROM sqlite_master") != 0 || PragmaInt(db, "PRAGMA application_id") != 0)
    return std::nullopt;
  if (PragmaText(db, "PRAGMA journal_mode = WAL") != "wal")
    return MountProblem(file, "its folder does not support shared access (WAL)", Advice::Access);
  Transaction create(db, Transaction::Kind::Write);
  if (PragmaInt(db, "SELECT count(*) FROM sqlite_master") == 0) db.Exec(kSchema);
  create.Commit();
  return std::nullopt;
}

// Looks before anything changes: a damaged or foreign file stays as it
// is, byte for byte.
std::optional<std::string> CheckSound(const fs::path& file, Database& db) {
  std::string check = PragmaText(db, "PRAGMA quick_check");
  if (check != "ok") return MountProblem(file, "it is damaged (" + check + ")", Advice::Replace);
  return std::nullopt;
}

std::optional<std::string> CheckIsRegistry(const fs::path& file, Database& db) {
  if (PragmaInt(db, "SELECT count(*) FROM sqlite_master") == 0) {
    return MountProblem(file, "it is empty", Advice::Replace);
  }
  std::int64_t applicationId = PragmaInt(db, "PRAGMA application_id");
  std::int64_t version = PragmaInt(db, "PRAGMA user_version");
  if (applicationId != kApplicationId) return MountProblem(file, "it is not a registry database", Advice::Replace);
  if (version != kSchemaVersion) {
    return MountProblem(file,
                        "its layout version is " + std::to_string(version) + ", this handheld reads version " +
                            std::to_string(kSchemaVersion),
                        Advice::Replace);
  }
  return std::nullopt;
}

}  // namespace

std::variant<std::unique_ptr<RegistryStore>, std::string> RegistryStore::Open(const fs::path& file, Mode mode) {
  std::error_code ec;
  auto status = fs::status(file, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return MountProblem(file, "it is not a regular file", Advice::Replace);
  }
  if (mode == Mode::ReadOnly && !fs::exists(status)) return MountProblem(file, "there is no such file", Advice::Keep);
  std::unique_ptr<RegistryStore> store;
  try {
    std::optional<Database> db;
    if (mode == Mode::ReadWrite) {
      db.emplace(file);
      // SQLite falls back to reading only when the file is write-protected;
      // a registry that silently drops every write is worse than none.
      if (sqlite3_db_readonly(db->get(), "main") == 1) {
        return MountProblem(file, "it is write-protected", Advice::Access);
      }
      sqlite3_busy_timeout(db->get(), kBusyTimeoutMs);
      if (auto problem = CheckSound(file, *db)) return *problem;
      if (auto problem = CreateIfEmpty(file, *db)) return *problem;
    } else {
      db.emplace(file, Database::Access::ReadOnly);
      sqlite3_busy_timeout(db->get(), kBusyTimeoutMs);
      try {
        PragmaInt(*db, "PRAGMA user_version");
      } catch (const SqlError& error) {
        // A folder where not even the shared-memory index can be made
        // holds no writer either: read the file as it stands.
        if (!IsPermissionProblem(error)) throw;
        db.emplace(file, Database::Access::Snapshot);
      }
      if (auto problem = CheckSound(file, *db)) return *problem;
    }
    if (auto problem = CheckIsRegistry(file, *db)) return *problem;
    store = std::make_unique<RegistryStore>(Token{}, file, std::move(*db));
  } catch (const SqlError& error) {
    return MountProblem(file, ProblemOf(error), AdviceFor(error));
  }

  try {
    // Preparing every statement also checks that the tables are ours.
    store->Prepare(mode == Mode::ReadWrite);
    if (!store->KeyExists(static_cast<KeyId>(Root::LocalMachine)) ||
        !store->KeyExists(static_cast<KeyId>(Root::CurrentUser))) {
      return MountProblem(file, "its root keys are missing", Advice::Replace);
    }
  } catch (const SqlError& error) {
    return MountProblem(file, "its tables are not those of a registry (" + std::string(error.what()) + ")",
                        Advice::Replace);
  }
  if (mode == Mode::ReadOnly) return store;
  try {
    if (PragmaText(store->db_, "PRAGMA journal_mode = WAL") != "wal") {
      return MountProblem(file, "it cannot be switched to shared access (WAL)", Advice::Access);
    }
    // Every commit reaches the disk before the call that made it returns.
    store->db_.Exec("PRAGMA synchronous = FULL");
  } catch (const SqlError& error) {
    return MountProblem(file, ProblemOf(error), AdviceFor(error));
  }
  return store;
}

std::unique_ptr<RegistryStore> RegistryStore::InMemory() {
  Database db({}, Database::Access::Memory);
  db.Exec(kSchema);
  auto store = std::make_unique<RegistryStore>(Token{}, fs::path(), std::move(db));
  store->Prepare(false);
  return store;
}

void RegistryStore::Prepare(bool keepTogether) {
  sql_ = std::make_unique<Statements>(db_);
  writes_ = std::make_unique<RegistryWrites>(
      db_, file_, [this](KeyId key) { return KeyPath(key); }, keepTogether);
}

bool RegistryStore::KeyExists(KeyId key) { return sql_->keyExists.Start().Bind(1, key).Next(); }

std::optional<KeyId> RegistryStore::Child(KeyId parent, std::string_view folded) {
  auto run = sql_->child.Start();
  run.Bind(1, parent).Bind(2, folded);
  if (!run.Next()) return std::nullopt;
  return run.Int(0);
}

std::optional<KeyId> RegistryStore::Walk(KeyId base, std::span<const std::string> path) {
  KeyId key = base;
  for (const std::string& name : path) {
    auto next = Child(key, FoldName(name));
    if (!next) return std::nullopt;
    key = *next;
  }
  return key;
}

KeyId RegistryStore::Insert(KeyId parent, const std::string& name) {
  sql_->insertKey.Start().Bind(1, parent).Bind(2, name).Bind(3, FoldName(name)).Exec();
  return sqlite3_last_insert_rowid(db_.get());
}

void RegistryStore::Delete(KeyId key) {
  sql_->deleteSubtreeValues.Start().Bind(1, key).Exec();
  sql_->deleteSubtreeKeys.Start().Bind(1, key).Exec();
}

void RegistryStore::Upsert(KeyId key, const Value& value) {
  sql_->upsert.Start()
      .Bind(1, key)
      .Bind(2, value.name)
      .Bind(3, FoldName(value.name))
      .Bind(4, std::int64_t{value.type})
      .Bind(5, std::span<const BYTE>(value.data))
      .Exec();
}

LONG RegistryStore::Failure(const SqlError& error) { return ErrorCodeOf(error); }

std::string RegistryStore::KeyPath(KeyId key) {
  std::vector<std::string> names;
  try {
    while (key != static_cast<KeyId>(Root::LocalMachine) && key != static_cast<KeyId>(Root::CurrentUser)) {
      auto run = sql_->keyOf.Start();
      run.Bind(1, key);
      if (!run.Next()) return "a key that is gone";
      names.push_back(run.Text(1));
      key = run.Int(0);
    }
  } catch (const SqlError&) {
    return "a key that cannot be read";
  }
  std::string path = RootName(static_cast<Root>(key));
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "\\" + *it;
  return path;
}

void RegistryStore::EndGroup() {
  std::lock_guard lock(mutex_);
  writes_->EndGroup();
}

LONG RegistryStore::CreateKey(KeyId base, std::span<const std::string> path, KeyId& key, bool& created) {
  std::lock_guard lock(mutex_);
  WriteTarget target{base, {path.begin(), path.end()}, {}};
  return writes_->Run(target, [&] {
    if (!KeyExists(base)) return ERROR_KEY_DELETED;
    key = base;
    created = false;
    for (const std::string& name : path) {
      if (auto next = Child(key, FoldName(name))) {
        key = *next;
        created = false;
      } else {
        key = Insert(key, name);
        created = true;
      }
    }
    return ERROR_SUCCESS;
  });
}

LONG RegistryStore::OpenKey(KeyId base, std::span<const std::string> path, KeyId& key) {
  std::lock_guard lock(mutex_);
  try {
    Transaction read(db_, Transaction::Kind::Read);
    if (!KeyExists(base)) return ERROR_KEY_DELETED;
    auto found = Walk(base, path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    key = *found;
    read.Commit();
    return ERROR_SUCCESS;
  } catch (const SqlError& error) {
    return Failure(error);
  }
}

LONG RegistryStore::DeleteKey(KeyId base, std::span<const std::string> path) {
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  WriteTarget target{base, {path.begin(), path.end()}, {}};
  return writes_->Run(target, [&] {
    if (!KeyExists(base)) return ERROR_KEY_DELETED;
    auto found = Walk(base, path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    Delete(*found);
    return ERROR_SUCCESS;
  });
}

LONG RegistryStore::SetValue(KeyId key, const Value& value) {
  std::lock_guard lock(mutex_);
  // The default value has an empty name; reports call it by its usual one.
  WriteTarget target{key, {}, value.name.empty() ? "(Default)" : value.name};
  return writes_->Run(target, [&] {
    if (!KeyExists(key)) return ERROR_KEY_DELETED;
    Upsert(key, value);
    return ERROR_SUCCESS;
  });
}

LONG RegistryStore::QueryValue(KeyId key, std::string_view name, Value& value) {
  std::lock_guard lock(mutex_);
  try {
    // One statement, one snapshot: the key's existence and the value agree.
    auto run = sql_->query.Start();
    run.Bind(1, key).Bind(2, FoldName(name));
    if (!run.Next()) return ERROR_KEY_DELETED;
    if (run.IsNull(1)) return ERROR_FILE_NOT_FOUND;
    value.name = run.Text(0);
    value.type = static_cast<DWORD>(run.Int(1));
    value.data = run.Blob(2);
    return ERROR_SUCCESS;
  } catch (const SqlError& error) {
    return Failure(error);
  }
}

LONG RegistryStore::DeleteValue(KeyId key, std::string_view name) {
  std::lock_guard lock(mutex_);
  WriteTarget target{key, {}, name.empty() ? "(Default)" : std::string(name)};
  return writes_->Run(target, [&] {
    if (!KeyExists(key)) return ERROR_KEY_DELETED;
    sql_->deleteValue.Start().Bind(1, key).Bind(2, FoldName(name)).Exec();
    return sqlite3_changes(db_.get()) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegistryStore::EnumKey(KeyId key, DWORD index, std::string& name) {
  std::lock_guard lock(mutex_);
  try {
    Transaction read(db_, Transaction::Kind::Read);
    if (!KeyExists(key)) return ERROR_KEY_DELETED;
    auto run = sql_->enumKey.Start();
    run.Bind(1, key).Bind(2, std::int64_t{index});
    if (!run.Next()) return ERROR_NO_MORE_ITEMS;
    name = run.Text(0);
    return ERROR_SUCCESS;
  } catch (const SqlError& error) {
    return Failure(error);
  }
}

LONG RegistryStore::EnumValue(KeyId key, DWORD index, Value& value) {
  std::lock_guard lock(mutex_);
  try {
    Transaction read(db_, Transaction::Kind::Read);
    if (!KeyExists(key)) return ERROR_KEY_DELETED;
    auto run = sql_->enumValue.Start();
    run.Bind(1, key).Bind(2, std::int64_t{index});
    if (!run.Next()) return ERROR_NO_MORE_ITEMS;
    value.name = run.Text(0);
    value.type = static_cast<DWORD>(run.Int(1));
    value.data = run.Blob(2);
    return ERROR_SUCCESS;
  } catch (const SqlError& error) {
    return Failure(error);
  }
}

std::optional<std::string> RegistryStore::Snapshot(std::vector<KeyContents>& keys) {
  std::lock_guard lock(mutex_);
  try {
    Transaction read(db_, Transaction::Kind::Read);
    struct Node {
      std::string name;
      std::vector<KeyId> children;  // in folded order
      std::vector<Value> values;    // in folded order
    };
    std::map<KeyId, Node> nodes;
    nodes[static_cast<KeyId>(Root::LocalMachine)];
    nodes[static_cast<KeyId>(Root::CurrentUser)];
    {
      auto run = sql_->allKeys.Start();
      while (run.Next()) {
        KeyId id = run.Int(0);
        nodes[id].name = run.Text(2);
        nodes[run.Int(1)].children.push_back(id);
      }
    }
    {
      auto run = sql_->allValues.Start();
      while (run.Next()) {
        nodes[run.Int(0)].values.push_back(Value{run.Text(1), static_cast<DWORD>(run.Int(2)), run.Blob(3)});
      }
    }
    read.Commit();

    keys.clear();
    for (Root root : {Root::CurrentUser, Root::LocalMachine}) {
      // Depth first, each key before its subkeys, on a stack of its own:
      // a database written before keys had a depth limit may hold a key
      // nested far deeper than a call stack reaches.
      struct Pending {
        KeyId id;
        std::size_t depth;
      };
      std::vector<Pending> stack{{static_cast<KeyId>(root), 0}};
      while (!stack.empty()) {
        Pending key = stack.back();
        stack.pop_back();
        Node& node = nodes[key.id];
        keys.push_back(KeyContents{root, key.depth, std::move(node.name), std::move(node.values)});
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) {
          stack.push_back({*child, key.depth + 1});
        }
      }
    }
    return std::nullopt;
  } catch (const SqlError& error) {
    return std::string("reading the registry database failed: ") + error.what();
  }
}

std::optional<std::string> RegistryStore::Apply(std::span<const Edit> edits) {
  std::lock_guard lock(mutex_);
  try {
    Transaction write(db_, Transaction::Kind::Write);
    auto createPath = [&](const Edit& edit) {
      KeyId key = static_cast<KeyId>(edit.root);
      for (const std::string& name : edit.path) {
        auto next = Child(key, FoldName(name));
        key = next ? *next : Insert(key, name);
      }
      return key;
    };
    for (const Edit& edit : edits) {
      switch (edit.kind) {
        case Edit::Kind::CreateKey:
          createPath(edit);
          break;
        case Edit::Kind::DeleteKey:
          if (auto key = Walk(static_cast<KeyId>(edit.root), edit.path); key && !edit.path.empty()) Delete(*key);
          break;
        case Edit::Kind::SetValue:
          Upsert(createPath(edit), edit.value);
          break;
        case Edit::Kind::DeleteValue:
          if (auto key = Walk(static_cast<KeyId>(edit.root), edit.path)) {
            sql_->deleteValue.Start().Bind(1, *key).Bind(2, FoldName(edit.value.name)).Exec();
          }
          break;
      }
    }
    write.Commit();
    return std::nullopt;
  } catch (const SqlError& error) {
    return std::string("writing the registry database failed: ") + error.what();
  }
}

std::optional<std::string> RegistryStore::CheckIntegrity() {
  std::lock_guard lock(mutex_);
  try {
    std::string result = PragmaText(db_, "PRAGMA quick_check");
    if (result == "ok") return std::nullopt;
    return result;
  } catch (const SqlError& error) {
    return error.what();
  }
}

}  // namespace ce::reg
