// A thin RAII layer over SQLite for the registry store: a connection, a
// prepared statement, one run of a statement, a transaction. Failures are
// thrown as SqlError, so a transaction left by an exception rolls back.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "windef.h"

namespace ce::reg {

class SqlError : public std::runtime_error {
 public:
  SqlError(int code, const std::string& message, int systemError = 0)
      : std::runtime_error(message), code_(code), systemError_(systemError) {}
  int code() const { return code_; }
  // The errno of the file operation that failed, or 0.
  int systemError() const { return systemError_; }

 private:
  int code_;
  int systemError_;
};

class Database {
 public:
  enum class Access {
    ReadWrite,  // created if absent
    ReadOnly,   // never written, never created
    Snapshot,   // read-only, from a folder where not even the shared-memory index may be made
    Memory,     // a private database in this process's memory; the path is not used
  };
  // Opens the file; throws SqlError when it cannot.
  explicit Database(const std::filesystem::path& file, Access access = Access::ReadWrite);
  sqlite3* get() const { return db_.get(); }
  // Runs SQL without results (pragmas, schema); throws on failure.
  void Exec(const char* sql);
  [[noreturn]] void Fail(int code) const;

 private:
  struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

class Statement {
 public:
  // One execution of the statement. The statement is reset when the run
  // ends, so no read transaction outlives the call that made it.
  class Run {
   public:
    explicit Run(Statement& statement) : statement_(statement) {}
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    Run& Bind(int index, std::int64_t value);
    Run& Bind(int index, std::string_view text);
    Run& Bind(int index, std::span<const BYTE> blob);
    bool Next();  // true while there is a row
    void Exec() {
      while (Next()) {
      }
    }
    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<BYTE> Blob(int column) const;

   private:
    void Check(int rc) const;
    Statement& statement_;
  };

  Statement(const Database& db, std::string_view sql);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Run Start() { return Run(*this); }

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
  };
  const Database& db_;
  std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

// BEGIN (read) or BEGIN IMMEDIATE (write, so the busy timeout applies to
// taking the write lock); rolls back unless committed. Inside a transaction
// already open on the connection it is a savepoint of that one: committing
// releases the savepoint, and only the outer commit makes it durable.
class Transaction {
 public:
  enum class Kind { Read, Write };
  Transaction(Database& db, Kind kind);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& db_;
  bool nested_;
  bool open_ = true;
};

}  // namespace ce::reg
