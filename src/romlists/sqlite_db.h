#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace romlists {

// A failure of the database, with SQLite's words for it. Thrown inside this layer only: every
// function the front ends call catches it and says what it means for them.
struct DatabaseError {
  std::string reason;
};

// One SQLite database file, closed when this goes.
class Database {
 public:
  enum class Mode { ReadOnly, Create };
  Database(const std::string& path, Mode mode);
  // Runs statements that return no rows.
  void Run(std::string_view sql);
  // The row id of the last row inserted.
  int64_t LastRow() const;
  sqlite3* Handle() const { return db_.get(); }

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

// A prepared statement, run as often as needed with new values bound.
class Statement {
 public:
  Statement(const Database& db, std::string_view sql);
  // Parameters count from 1, as SQLite numbers them.
  Statement& Bind(int parameter, int64_t value);
  Statement& Bind(int parameter, std::string_view text);
  Statement& Bind(int parameter, std::span<const uint8_t> bytes);
  Statement& BindNull(int parameter);
  // Takes the next row; false when there is none (the statement is done).
  bool Step();
  // Done with the rows: ready to be bound and run again.
  void Reset();
  // Columns count from 0.
  int64_t Integer(int column) const;
  std::string Text(int column) const;
  std::span<const uint8_t> Bytes(int column) const;  // valid until the next Step or Reset

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* statement) const;
  };
  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

}  // namespace romlists
