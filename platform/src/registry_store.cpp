// The SQLite file behind the registry: opening, checking, schema, transactions.
#include "registry_store.h"

#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <unistd.h>

namespace platform::detail {

namespace {

thread_local std::string t_lastErrorDetail;

constexpr int kBusyTimeoutMs = 5000;

struct CachedStore
{
  std::weak_ptr<RegistryStore> store;
  pid_t pid = 0;
};

std::mutex g_storesMutex;
std::map<std::string, CachedStore> g_stores;

std::string CanonicalPath(const std::string& path)
{
  std::error_code error;
  auto absolute = std::filesystem::absolute(path, error);
  if (error) {
    return path;
  }
  auto canonical = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.string() : canonical.string();
}

LONG MapSqliteResult(int result)
{
  switch (result & 0xFF) {
  case SQLITE_OK:
  case SQLITE_ROW:
  case SQLITE_DONE:
    return ERROR_SUCCESS;
  case SQLITE_BUSY:
  case SQLITE_LOCKED:
    return ERROR_BUSY;
  case SQLITE_CORRUPT:
  case SQLITE_NOTADB:
  case SQLITE_FORMAT:
  case SQLITE_SCHEMA:
    return ERROR_BADDB;
  case SQLITE_FULL:
    return ERROR_DISK_FULL;
  case SQLITE_READONLY:
  case SQLITE_PERM:
  case SQLITE_AUTH:
    return ERROR_ACCESS_DENIED;
  case SQLITE_NOMEM:
    return ERROR_NOT_ENOUGH_MEMORY;
  case SQLITE_TOOBIG:
  case SQLITE_RANGE:
    return ERROR_INVALID_PARAMETER;
  default:
    return ERROR_REGISTRY_IO_FAILED;
  }
}

} // namespace

std::string FoldName(std::string_view name)
{
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

void SetLastErrorDetail(std::string detail)
{
  t_lastErrorDetail = std::move(detail);
}

} // namespace platform::detail

namespace platform {
std::string RegLastErrorDetail()
{
  return detail::t_lastErrorDetail;
}
} // namespace platform

namespace platform::detail {

Statement::Statement(RegistryStore& store, const char* sql)
{
  m_error = store.Prepare(sql, &m_stmt);
}

Statement::~Statement()
{
  if (m_stmt) {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
  }
}

void Statement::Bind(int index, std::int64_t value)
{
  if (m_stmt) {
    sqlite3_bind_int64(m_stmt, index, value);
  }
}

void Statement::Bind(int index, std::string_view text)
{
  if (m_stmt) {
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
}

void Statement::BindBlob(int index, const void* data, std::size_t size)
{
  // A null pointer would bind SQL NULL; an empty value is a zero-length blob.
  static const char empty = 0;
  if (m_stmt) {
    sqlite3_bind_blob64(m_stmt, index, data ? data : &empty, size, SQLITE_TRANSIENT);
  }
}

int Statement::Step()
{
  return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR;
}

std::int64_t Statement::Int(int column)
{
  return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::Text(int column)
{
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
              : std::string();
}

const void* Statement::Blob(int column)
{
  return sqlite3_column_blob(m_stmt, column);
}

int Statement::Bytes(int column)
{
  return sqlite3_column_bytes(m_stmt, column);
}

LONG RegistryStore::Get(const std::string& path, std::shared_ptr<RegistryStore>& store)
{
  std::string key = CanonicalPath(path);
  std::lock_guard lock(g_storesMutex);
  auto found = g_stores.find(key);
  // A connection inherited through fork() belongs to the parent; open our own.
  if (found != g_stores.end() && found->second.pid == getpid()) {
    if (auto existing = found->second.store.lock()) {
      store = existing;
      return ERROR_SUCCESS;
    }
  }
  std::shared_ptr<RegistryStore> opened(new RegistryStore(key));
  LONG result = opened->Open();
  if (result != ERROR_SUCCESS) {
    return result;
  }
  g_stores[key] = CachedStore{opened, getpid()};
  store = opened;
  return ERROR_SUCCESS;
}

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)), m_pid(getpid()) {}

bool RegistryStore::OpenedByThisProcess() const
{
  return m_pid == getpid();
}

RegistryStore::~RegistryStore()
{
  for (auto& [sql, stmt] : m_statements) {
    sqlite3_finalize(stmt);
  }
  if (m_db) {
    sqlite3_close_v2(m_db);
  }
}

LONG RegistryStore::Fail(int sqliteResult)
{
  LONG code = MapSqliteResult(sqliteResult);
  if (code == ERROR_SUCCESS) {
    code = ERROR_REGISTRY_IO_FAILED;
  }
  const char* reason = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(sqliteResult);
  SetLastErrorDetail(m_path + ": " + (reason ? reason : sqlite3_errstr(sqliteResult)));
  return code;
}

LONG RegistryStore::Prepare(const char* sql, sqlite3_stmt** statement)
{
  auto found = m_statements.find(sql);
  if (found != m_statements.end()) {
    *statement = found->second;
    return ERROR_SUCCESS;
  }
  sqlite3_stmt* prepared = nullptr;
  int result = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
  if (result != SQLITE_OK) {
    *statement = nullptr;
    return Fail(result);
  }
  m_statements.emplace(sql, prepared);
  *statement = prepared;
  return ERROR_SUCCESS;
}

std::int64_t RegistryStore::LastInsertId()
{
  return sqlite3_last_insert_rowid(m_db);
}

int RegistryStore::Changes()
{
  return sqlite3_changes(m_db);
}

LONG RegistryStore::Exec(const char* sql)
{
  int result = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
  return result == SQLITE_OK ? ERROR_SUCCESS : Fail(result);
}

LONG RegistryStore::Open()
{
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path file(m_path);
  if (file.has_parent_path() && !fs::exists(file.parent_path(), error)) {
    fs::create_directories(file.parent_path(), error);
    if (error) {
      SetLastErrorDetail(m_path + ": cannot create the folder: " + error.message());
      return ERROR_REGISTRY_IO_FAILED;
    }
  }
  // Check the magic ourselves, so that a text file gets a clear message.
  if (fs::is_regular_file(file, error) && fs::file_size(file, error) > 0) {
    char header[16] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(header, sizeof header);
    if (!in || std::memcmp(header, "SQLite format 3", 16) != 0) {
      SetLastErrorDetail(m_path + ": not a registry file");
      return ERROR_BADDB;
    }
  } else if (fs::exists(file, error) && !fs::is_regular_file(file, error)) {
    SetLastErrorDetail(m_path + ": not a registry file (not a regular file)");
    return ERROR_BADDB;
  }

  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  int result = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
  if (result != SQLITE_OK) {
    return Fail(result);
  }
  sqlite3_extended_result_codes(m_db, 1);
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  // Switching a new file to WAL while another process creates it can report "locked" at once,
  // without going through the busy handler; so the whole check is retried within the time-out.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  LONG validated = Validate();
  while (validated == ERROR_BUSY && std::chrono::steady_clock::now() < deadline) {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    validated = Validate();
  }
  return validated;
}

LONG RegistryStore::Validate()
{
  std::int64_t applicationId = 0;
  std::int64_t version = 0;
  std::int64_t tables = 0;
  {
    Statement query(*this, "SELECT (SELECT application_id FROM pragma_application_id),"
                           " (SELECT user_version FROM pragma_user_version),"
                           " (SELECT count(*) FROM sqlite_schema)");
    if (query.Error() != ERROR_SUCCESS) {
      return query.Error();
    }
    int step = query.Step();
    if (step != SQLITE_ROW) {
      return Fail(step);
    }
    applicationId = query.Int(0);
    version = query.Int(1);
    tables = query.Int(2);
  }
  if (applicationId == 0 && version == 0 && tables == 0) {
    return CreateSchema();
  }
  if (applicationId != kRegistryApplicationId) {
    SetLastErrorDetail(m_path + ": not a registry file (a database of another kind)");
    return ERROR_BADDB;
  }
  if (version != kRegistrySchemaVersion) {
    SetLastErrorDetail(m_path + ": registry format " + std::to_string(version) +
                       " is not supported");
    return ERROR_BADDB;
  }
  {
    Statement check(*this, "PRAGMA quick_check");
    if (check.Error() != ERROR_SUCCESS) {
      return check.Error();
    }
    int step = check.Step();
    if (step != SQLITE_ROW) {
      return Fail(step);
    }
    std::string verdict = check.Text(0);
    if (verdict != "ok") {
      SetLastErrorDetail(m_path + ": the registry file is damaged: " + verdict);
      return ERROR_BADDB;
    }
  }
  {
    Statement roots(*this, "SELECT count(*) FROM keys WHERE id IN (1, 2) AND parent IS NULL");
    if (roots.Error() != ERROR_SUCCESS) {
      SetLastErrorDetail(m_path + ": the registry file is damaged: " + RegLastErrorDetail());
      return ERROR_BADDB;
    }
    Statement values(*this, "SELECT key, name, fold, type, data FROM vals LIMIT 0");
    if (values.Error() != ERROR_SUCCESS) {
      SetLastErrorDetail(m_path + ": the registry file is damaged: " + RegLastErrorDetail());
      return ERROR_BADDB;
    }
    int step = roots.Step();
    if (step != SQLITE_ROW) {
      return Fail(step);
    }
    if (roots.Int(0) != 2) {
      SetLastErrorDetail(m_path + ": the registry file is damaged: root keys are missing");
      return ERROR_BADDB;
    }
  }
  return Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL");
}

LONG RegistryStore::CreateSchema()
{
  LONG result = Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL");
  if (result != ERROR_SUCCESS) {
    return result;
  }
  result = Exec("BEGIN IMMEDIATE");
  if (result != ERROR_SUCCESS) {
    return result;
  }
  // Another process may have created it while we waited for the lock.
  result = Exec("CREATE TABLE IF NOT EXISTS keys("
                " id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER, name TEXT NOT NULL,"
                " fold TEXT NOT NULL, class TEXT NOT NULL DEFAULT '');"
                "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, fold);"
                "CREATE TABLE IF NOT EXISTS vals("
                " key INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,"
                " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold))"
                " WITHOUT ROWID;"
                "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES"
                " (1, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),"
                " (2, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user');"
                "PRAGMA application_id=1212962386; PRAGMA user_version=1;");
  if (result != ERROR_SUCCESS) {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
  }
  return Exec("COMMIT");
}

LONG RegistryStore::Begin(bool write)
{
  if (m_depth++ > 0) {
    if (!write) {
      return ERROR_SUCCESS;
    }
    Statement savepoint(*this, "SAVEPOINT nested");
    int step = savepoint.Step();
    if (step != SQLITE_DONE) {
      --m_depth;
      return savepoint.Error() != ERROR_SUCCESS ? savepoint.Error() : Fail(step);
    }
    return ERROR_SUCCESS;
  }
  // A writer takes the write lock at once, so that waiting for it goes through the busy
  // time-out instead of failing on a stale snapshot.
  Statement begin(*this, write ? "BEGIN IMMEDIATE" : "BEGIN");
  int step = begin.Step();
  if (step != SQLITE_DONE) {
    --m_depth;
    return begin.Error() != ERROR_SUCCESS ? begin.Error() : Fail(step);
  }
  return ERROR_SUCCESS;
}

LONG RegistryStore::End(bool write, LONG result)
{
  if (--m_depth > 0) {
    if (!write) {
      return result;
    }
    if (result != ERROR_SUCCESS) {
      Statement rollback(*this, "ROLLBACK TO nested");
      rollback.Step();
    }
    Statement release(*this, "RELEASE nested");
    int step = release.Step();
    return result != ERROR_SUCCESS || step == SQLITE_DONE ? result : Fail(step);
  }
  if (result == ERROR_SUCCESS) {
    Statement commit(*this, "COMMIT");
    int step = commit.Step();
    if (step == SQLITE_DONE) {
      return ERROR_SUCCESS;
    }
    result = Fail(step);
  }
  if (!sqlite3_get_autocommit(m_db)) {
    Statement rollback(*this, "ROLLBACK");
    rollback.Step();
  }
  return result;
}

LONG RegistryStore::RunTransaction(const std::function<LONG()>& body)
{
  return Run(true, body);
}

} // namespace platform::detail
