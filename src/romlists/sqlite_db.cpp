#include "romlists/sqlite_db.h"

#include <sqlite3.h>

namespace romlists {
namespace {

void Check(sqlite3* db, int result) {
  if (result != SQLITE_OK) throw DatabaseError{db != nullptr ? sqlite3_errmsg(db) : "no memory"};
}

}  // namespace

void Database::Closer::operator()(sqlite3* db) const {
  sqlite3_close(db);
}

Database::Database(const std::string& path, Mode mode) {
  sqlite3* db = nullptr;
  const int flags =
      mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const int result = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  db_.reset(db);  // closed even when the open failed
  Check(db, result);
}

void Database::Run(std::string_view sql) {
  Check(db_.get(), sqlite3_exec(db_.get(), std::string(sql).c_str(), nullptr, nullptr, nullptr));
}

int64_t Database::LastRow() const {
  return sqlite3_last_insert_rowid(db_.get());
}

void Statement::Finalizer::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

Statement::Statement(const Database& db, std::string_view sql) : db_(db.Handle()) {
  sqlite3_stmt* statement = nullptr;
  Check(db_,
        sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr));
  statement_.reset(statement);
}

Statement& Statement::Bind(int parameter, int64_t value) {
  Check(db_, sqlite3_bind_int64(statement_.get(), parameter, value));
  return *this;
}

Statement& Statement::Bind(int parameter, std::string_view text) {
  Check(db_, sqlite3_bind_text64(statement_.get(), parameter, text.data(), text.size(),
                                 SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

Statement& Statement::Bind(int parameter, std::span<const uint8_t> bytes) {
  Check(db_, sqlite3_bind_blob64(statement_.get(), parameter, bytes.data(), bytes.size(),
                                 SQLITE_TRANSIENT));
  return *this;
}

Statement& Statement::BindNull(int parameter) {
  Check(db_, sqlite3_bind_null(statement_.get(), parameter));
  return *this;
}

bool Statement::Step() {
  const int result = sqlite3_step(statement_.get());
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  throw DatabaseError{sqlite3_errmsg(db_)};
}

void Statement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

int64_t Statement::Integer(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  if (text == nullptr) return {};
  return {reinterpret_cast<const char*>(text),
          static_cast<size_t>(sqlite3_column_bytes(statement_.get(), column))};
}

std::span<const uint8_t> Statement::Bytes(int column) const {
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement_.get(), column));
  if (bytes == nullptr) return {};
  return {bytes, static_cast<size_t>(sqlite3_column_bytes(statement_.get(), column))};
}

}  // namespace romlists
