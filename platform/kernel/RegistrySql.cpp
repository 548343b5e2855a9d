#include "platform/kernel/RegistrySql.h"

namespace ce::reg {

namespace {

// The file as an SQLite URI, so that query parameters can be given.
std::string FileUri(const std::filesystem::path& file, const char* parameters) {
  std::string uri = "file:";
  for (unsigned char c : std::filesystem::absolute(file).string()) {
    if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + parameters;
}

// The connection keeps the errno of its last failed file operation; it
// belongs to this failure only when the failure is one of those.
int SystemErrorOf(sqlite3* db, int code) {
  int primary = code & 0xFF;
  return primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN ? sqlite3_system_errno(db) : 0;
}

}  // namespace

Database::Database(const std::filesystem::path& file, Access access) {
  std::string name;
  int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
  switch (access) {
    case Access::ReadWrite:
      name = FileUri(file, "");
      flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
      break;
    case Access::ReadOnly:
      name = FileUri(file, "?mode=ro");
      flags |= SQLITE_OPEN_READONLY;
      break;
    case Access::Snapshot:
      // Nobody may be writing it: the file cannot be written here, and a
      // writer elsewhere would need the index this folder cannot hold.
      name = FileUri(file, "?mode=ro&immutable=1");
      flags |= SQLITE_OPEN_READONLY;
      break;
    case Access::Memory:
      name = ":memory:";
      flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY;
      break;
  }
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    throw SqlError(rc, message, raw ? SystemErrorOf(raw, rc) : 0);
  }
  sqlite3_extended_result_codes(raw, 1);
}

void Database::Exec(const char* sql) {
  int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc);
}

void Database::Fail(int code) const { throw SqlError(code, sqlite3_errmsg(db_.get()), SystemErrorOf(db_.get(), code)); }

Statement::Statement(const Database& db, std::string_view sql) : db_(db) {
  sqlite3_stmt* raw = nullptr;
  int rc =
      sqlite3_prepare_v3(db.get(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  stmt_.reset(raw);
  if (rc != SQLITE_OK) db.Fail(rc);
}

Statement::Run::~Run() {
  sqlite3_reset(statement_.stmt_.get());
  sqlite3_clear_bindings(statement_.stmt_.get());
}

void Statement::Run::Check(int rc) const {
  if (rc != SQLITE_OK) statement_.db_.Fail(rc);
}

Statement::Run& Statement::Run::Bind(int index, std::int64_t value) {
  Check(sqlite3_bind_int64(statement_.stmt_.get(), index, value));
  return *this;
}

Statement::Run& Statement::Run::Bind(int index, std::string_view text) {
  Check(sqlite3_bind_text64(statement_.stmt_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

Statement::Run& Statement::Run::Bind(int index, std::span<const BYTE> blob) {
  // A null pointer would bind SQL NULL; an empty value is an empty blob.
  if (blob.empty()) {
    Check(sqlite3_bind_zeroblob(statement_.stmt_.get(), index, 0));
  } else {
    Check(sqlite3_bind_blob64(statement_.stmt_.get(), index, blob.data(), blob.size(), SQLITE_TRANSIENT));
  }
  return *this;
}

bool Statement::Run::Next() {
  int rc = sqlite3_step(statement_.stmt_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  statement_.db_.Fail(rc);
}

bool Statement::Run::IsNull(int column) const {
  return sqlite3_column_type(statement_.stmt_.get(), column) == SQLITE_NULL;
}

std::int64_t Statement::Run::Int(int column) const { return sqlite3_column_int64(statement_.stmt_.get(), column); }

std::string Statement::Run::Text(int column) const {
  auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.stmt_.get(), column));
  int size = sqlite3_column_bytes(statement_.stmt_.get(), column);
  return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
}

std::vector<BYTE> Statement::Run::Blob(int column) const {
  auto* data = static_cast<const BYTE*>(sqlite3_column_blob(statement_.stmt_.get(), column));
  int size = sqlite3_column_bytes(statement_.stmt_.get(), column);
  return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
}

Transaction::Transaction(Database& db, Kind kind) : db_(db), nested_(sqlite3_get_autocommit(db.get()) == 0) {
  if (nested_) db_.Exec("SAVEPOINT part");
  else db_.Exec(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
  if (!open_) return;
  if (nested_) {
    sqlite3_exec(db_.get(), "ROLLBACK TO part; RELEASE part", nullptr, nullptr, nullptr);
  } else if (sqlite3_get_autocommit(db_.get()) == 0) {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void Transaction::Commit() {
  db_.Exec(nested_ ? "RELEASE part" : "COMMIT");
  open_ = false;
}

}  // namespace ce::reg
