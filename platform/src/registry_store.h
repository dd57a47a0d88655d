// One registry file: an SQLite connection with the schema below, shared by every handle of the
// process that uses the same file.
//
// Layout (application_id 'HLVR', user_version 1):
//   keys(id, parent, name, fold, class)   one row per key; the two roots have ids 1 and 2 and
//                                         no parent; fold is the ASCII-lower-case name
//   vals(key, name, fold, type, data)     one row per value; the default value has name ''
// Sibling keys and the values of one key are unique by fold, and enumerated in fold order.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::detail {

inline constexpr std::int64_t kLocalMachineId = 1;
inline constexpr std::int64_t kCurrentUserId = 2;
inline constexpr std::int32_t kRegistryApplicationId = 0x484C5652; // "HLVR"
inline constexpr int kRegistrySchemaVersion = 1;

std::string FoldName(std::string_view name);
void SetLastErrorDetail(std::string detail);

class RegistryStore;

// A prepared statement borrowed from the store's cache; reset when it goes out of scope.
// When preparing failed, Error() is the registry error code and Step() returns SQLITE_ERROR.
class Statement
{
public:
  Statement(RegistryStore& store, const char* sql);
  ~Statement();
  LONG Error() const { return m_error; }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, std::int64_t value);
  void Bind(int index, std::string_view text);
  void BindBlob(int index, const void* data, std::size_t size);
  // SQLITE_ROW, SQLITE_DONE or an error code of SQLite.
  int Step();
  std::int64_t Int(int column);
  std::string Text(int column);
  const void* Blob(int column);
  int Bytes(int column);

private:
  sqlite3_stmt* m_stmt = nullptr;
  LONG m_error = ERROR_SUCCESS;
};

class RegistryStore
{
public:
  // The store of `path` for this process, opened (and created with its folders) when needed.
  static LONG Get(const std::string& path, std::shared_ptr<RegistryStore>& store);
  ~RegistryStore();

  // Runs `body` inside a read or write transaction (a savepoint when one is open already).
  // SQLite failures inside `body` are reported through Fail().
  template <class Body> LONG Read(Body body) { return Run(false, body); }
  template <class Body> LONG Write(Body body) { return Run(true, body); }
  LONG RunTransaction(const std::function<LONG()>& body);

  // A cached statement for `sql`, which must be a string literal.
  LONG Prepare(const char* sql, sqlite3_stmt** statement);
  // Maps an SQLite result to a registry error code and records the details.
  LONG Fail(int sqliteResult);
  std::int64_t LastInsertId();
  int Changes();
  const std::string& Path() const { return m_path; }
  // False in a child made by fork(): the connection belongs to the parent.
  bool OpenedByThisProcess() const;

private:
  explicit RegistryStore(std::string path);
  LONG Open();
  LONG Validate();
  LONG CreateSchema();
  LONG Exec(const char* sql);
  LONG Begin(bool write);
  LONG End(bool write, LONG result);

  template <class Body> LONG Run(bool write, Body& body)
  {
    std::lock_guard lock(m_mutex);
    LONG result = Begin(write);
    if (result != ERROR_SUCCESS) {
      return result;
    }
    try {
      result = body();
    } catch (const std::bad_alloc&) {
      result = ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
      SetLastErrorDetail(m_path + ": the transaction was abandoned by an exception");
      result = ERROR_INVALID_PARAMETER;
    }
    return End(write, result);
  }

  std::string m_path;
  int m_pid;
  std::recursive_mutex m_mutex;
  sqlite3* m_db = nullptr;
  int m_depth = 0;
  std::unordered_map<const char*, sqlite3_stmt*> m_statements;
};

} // namespace platform::detail
