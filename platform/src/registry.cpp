// The registry calls: handles, path look-up and the value operations on top of the store.
#include "platform/registry.h"

#include "platform/system.h"
#include "registry_store.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace platform {

using detail::FoldName;
using detail::RegistryStore;
using detail::SetLastErrorDetail;
using detail::Statement;

namespace {

constexpr std::size_t kMaxKeyDepth = 512;

struct OpenKey
{
  std::shared_ptr<RegistryStore> store;
  std::int64_t id = 0;
  REGSAM access = 0;
};

std::mutex g_handlesMutex;
std::unordered_map<std::uintptr_t, std::shared_ptr<OpenKey>> g_handles;
std::uintptr_t g_nextHandle = 0x1000;
// The stores of the predefined roots stay open for the life of the process. Their own lock, so
// that opening one (which may wait for another process) does not hold up other handles.
std::mutex g_defaultStoresMutex;
std::map<std::string, std::shared_ptr<RegistryStore>> g_defaultStores;

bool IsPredefined(HKEY key)
{
  return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER;
}

std::int64_t RootId(HKEY key)
{
  return key == HKEY_LOCAL_MACHINE ? detail::kLocalMachineId : detail::kCurrentUserId;
}

LONG Resolve(HKEY key, OpenKey& open)
{
  if (IsPredefined(key)) {
    std::string path = RegDefaultFile();
    std::lock_guard lock(g_defaultStoresMutex);
    auto& store = g_defaultStores[path];
    if (store && !store->OpenedByThisProcess()) {
      // Never used, never closed here: closing could checkpoint under the parent's feet.
      static auto* inherited = new std::vector<std::shared_ptr<RegistryStore>>;
      inherited->push_back(std::move(store));
    }
    if (!store) {
      LONG result = RegistryStore::Get(path, store);
      if (result != ERROR_SUCCESS) {
        g_defaultStores.erase(path);
        return result;
      }
    }
    open = OpenKey{store, RootId(key), KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  std::lock_guard lock(g_handlesMutex);
  auto found = g_handles.find(reinterpret_cast<std::uintptr_t>(key));
  if (found == g_handles.end()) {
    return ERROR_INVALID_HANDLE;
  }
  open = *found->second;
  return ERROR_SUCCESS;
}

HKEY AddHandle(const OpenKey& open)
{
  std::lock_guard lock(g_handlesMutex);
  std::uintptr_t value;
  do {
    value = g_nextHandle;
    g_nextHandle += 4;
  } while (IsPredefined(reinterpret_cast<HKEY>(value)) || g_handles.count(value) != 0);
  g_handles.emplace(value, std::make_shared<OpenKey>(open));
  return reinterpret_cast<HKEY>(value);
}

bool HasAccess(const OpenKey& open, REGSAM needed)
{
  return (open.access & needed) == needed;
}

// Splits a key path into its names; false for an empty name, a name too long or holding a
// control character, or a path too deep.
bool SplitPath(const char* path, std::vector<std::string_view>& names)
{
  names.clear();
  if (!path || !*path) {
    return true;
  }
  std::string_view rest(path);
  if (rest.back() == '\\') {
    rest.remove_suffix(1);
  }
  while (true) {
    auto separator = rest.find('\\');
    std::string_view name = rest.substr(0, separator);
    if (name.empty() || name.size() > kMaxKeyNameLength) {
      return false;
    }
    for (char c : name) {
      if (static_cast<unsigned char>(c) < 0x20) {
        return false;
      }
    }
    names.push_back(name);
    if (names.size() > kMaxKeyDepth) {
      return false;
    }
    if (separator == std::string_view::npos) {
      return true;
    }
    rest.remove_prefix(separator + 1);
  }
}

bool ValidValueName(std::string_view name)
{
  return name.size() <= kMaxValueNameLength && name.find_first_of("\r\n") == std::string_view::npos;
}

LONG InvalidParameter(const char* what)
{
  SetLastErrorDetail(what);
  return ERROR_INVALID_PARAMETER;
}

LONG KeyExists(RegistryStore& store, std::int64_t id, bool& exists)
{
  Statement query(store, "SELECT 1 FROM keys WHERE id = ?1");
  query.Bind(1, id);
  int step = query.Step();
  if (step != SQLITE_ROW && step != SQLITE_DONE) {
    return query.Error() != ERROR_SUCCESS ? query.Error() : store.Fail(step);
  }
  exists = step == SQLITE_ROW;
  return ERROR_SUCCESS;
}

// ERROR_KEY_DELETED when the key behind a handle is gone, else `otherwise`.
LONG MissingOr(RegistryStore& store, std::int64_t id, LONG otherwise)
{
  bool exists = false;
  LONG result = KeyExists(store, id, exists);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  return exists ? otherwise : ERROR_KEY_DELETED;
}

LONG FindChild(RegistryStore& store, std::int64_t parent, std::string_view name, std::int64_t& id)
{
  Statement query(store, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  query.Bind(1, parent);
  query.Bind(2, FoldName(name));
  int step = query.Step();
  if (step == SQLITE_ROW) {
    id = query.Int(0);
    return ERROR_SUCCESS;
  }
  if (step == SQLITE_DONE) {
    return ERROR_FILE_NOT_FOUND;
  }
  return query.Error() != ERROR_SUCCESS ? query.Error() : store.Fail(step);
}

LONG AddChild(RegistryStore& store, std::int64_t parent, std::string_view name,
              std::string_view className, std::int64_t& id)
{
  Statement insert(store, "INSERT INTO keys(parent, name, fold, class) VALUES(?1, ?2, ?3, ?4)");
  insert.Bind(1, parent);
  insert.Bind(2, name);
  insert.Bind(3, FoldName(name));
  insert.Bind(4, className);
  int step = insert.Step();
  if (step != SQLITE_DONE) {
    return insert.Error() != ERROR_SUCCESS ? insert.Error() : store.Fail(step);
  }
  id = store.LastInsertId();
  return ERROR_SUCCESS;
}

// Walks `names` down from `start`; with `create`, missing keys are made on the way.
LONG WalkPath(RegistryStore& store, std::int64_t start, const std::vector<std::string_view>& names,
              bool create, std::string_view className, std::int64_t& id, bool& created)
{
  created = false;
  LONG result = MissingOr(store, start, ERROR_SUCCESS);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  id = start;
  for (auto name : names) {
    std::int64_t child = 0;
    result = FindChild(store, id, name, child);
    if (result == ERROR_FILE_NOT_FOUND && create) {
      result = AddChild(store, id, name, className, child);
      created = true;
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    id = child;
  }
  return ERROR_SUCCESS;
}

// Deletes every value and sub-key below `id`, with its own values, and with `includingSelf`
// the key itself.
LONG DeleteBelow(RegistryStore& store, std::int64_t id, bool includingSelf)
{
  Statement values(store, "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                          " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
                          " DELETE FROM vals WHERE key IN tree");
  values.Bind(1, id);
  int step = values.Step();
  if (step != SQLITE_DONE) {
    return values.Error() != ERROR_SUCCESS ? values.Error() : store.Fail(step);
  }
  Statement keys(store, "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
                        " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
                        " DELETE FROM keys WHERE id IN tree AND (?2 OR id != ?1)");
  keys.Bind(1, id);
  keys.Bind(2, std::int64_t{includingSelf});
  step = keys.Step();
  if (step != SQLITE_DONE) {
    return keys.Error() != ERROR_SUCCESS ? keys.Error() : store.Fail(step);
  }
  return ERROR_SUCCESS;
}

bool IsRootId(std::int64_t id)
{
  return id == detail::kLocalMachineId || id == detail::kCurrentUserId;
}

// Copies a name into a caller's buffer of *size characters (NUL included).
LONG CopyName(const std::string& name, char* buffer, DWORD* size)
{
  if (name.size() + 1 > *size) {
    return ERROR_MORE_DATA;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Hands a value's bytes to the caller by the size-query rules.
LONG CopyData(const void* bytes, std::size_t size, BYTE* data, DWORD* dataSize)
{
  if (!dataSize) {
    return ERROR_SUCCESS;
  }
  if (size > 0xFFFFFFFFu) {
    return ERROR_MORE_DATA;
  }
  DWORD needed = static_cast<DWORD>(size);
  if (!data) {
    *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (needed > 0) {
    std::memcpy(data, bytes, needed);
  }
  *dataSize = needed;
  return ERROR_SUCCESS;
}

template <class Body> LONG Guarded(Body body)
{
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INVALID_PARAMETER;
  }
}

// Resolves a handle and checks that it was opened with `needed` access.
LONG ResolveFor(HKEY key, REGSAM needed, OpenKey& open)
{
  LONG code = Resolve(key, open);
  if (code != ERROR_SUCCESS) {
    return code;
  }
  return HasAccess(open, needed) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// The row at `index` of an enumeration query (?1 the key, ?2 the offset) handed to `copy`;
// ERROR_NO_MORE_ITEMS past the end.
template <class Copy> LONG ReadRowAt(const OpenKey& open, const char* sql, DWORD index, Copy copy)
{
  return open.store->Read([&] {
    Statement query(*open.store, sql);
    query.Bind(1, open.id);
    query.Bind(2, std::int64_t{index});
    int step = query.Step();
    if (step == SQLITE_DONE) {
      return MissingOr(*open.store, open.id, ERROR_NO_MORE_ITEMS);
    }
    if (step != SQLITE_ROW) {
      return query.Error() != ERROR_SUCCESS ? query.Error() : open.store->Fail(step);
    }
    return copy(query);
  });
}

} // namespace

std::string RegDefaultFile()
{
  if (const char* file = std::getenv("HALVEX_REGISTRY"); file && *file) {
    return file;
  }
  // One rule with the other per-user files, so a relative XDG_DATA_HOME cannot make programs
  // started in different folders use different registries.
  return UserDataFolder() + "/halvex/registry.db";
}

LONG RegConnectRegistryFile(const std::string& file, HKEY root, HKEY* result)
{
  return Guarded([&] {
    if (!result || !IsPredefined(root) || file.empty()) {
      return InvalidParameter("a registry file name, a root key and a result are needed");
    }
    std::shared_ptr<RegistryStore> store;
    LONG code = RegistryStore::Get(file, store);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    *result = AddHandle(OpenKey{store, RootId(root), KEY_ALL_ACCESS});
    return ERROR_SUCCESS;
  });
}

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM samDesired, HKEY* result)
{
  return Guarded([&] {
    if (!result) {
      return InvalidParameter("no place for the result");
    }
    std::vector<std::string_view> names;
    if (!SplitPath(subKey, names)) {
      return InvalidParameter("invalid key path");
    }
    OpenKey base;
    LONG code = Resolve(key, base);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    std::int64_t id = 0;
    code = base.store->Read([&] {
      bool created = false;
      return WalkPath(*base.store, base.id, names, false, {}, id, created);
    });
    if (code != ERROR_SUCCESS) {
      return code;
    }
    *result = AddHandle(OpenKey{base.store, id, samDesired});
    return ERROR_SUCCESS;
  });
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, const char* className,
                    DWORD options, REGSAM samDesired, const void* securityAttributes, HKEY* result,
                    DWORD* disposition)
{
  return Guarded([&] {
    if (!result) {
      return InvalidParameter("no place for the result");
    }
    std::vector<std::string_view> names;
    if (!SplitPath(subKey, names)) {
      return InvalidParameter("invalid key path");
    }
    OpenKey base;
    LONG code = Resolve(key, base);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    std::int64_t id = 0;
    bool created = false;
    code = base.store->Write([&] {
      LONG walked = WalkPath(*base.store, base.id, names, false, {}, id, created);
      if (walked != ERROR_FILE_NOT_FOUND) {
        return walked;
      }
      if (!HasAccess(base, KEY_CREATE_SUB_KEY)) {
        return ERROR_ACCESS_DENIED;
      }
      return WalkPath(*base.store, base.id, names, true, className ? className : "", id, created);
    });
    if (code != ERROR_SUCCESS) {
      return code;
    }
    *result = AddHandle(OpenKey{base.store, id, samDesired});
    if (disposition) {
      *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY key)
{
  if (IsPredefined(key)) {
    return ERROR_SUCCESS;
  }
  std::shared_ptr<OpenKey> closing;
  {
    std::lock_guard lock(g_handlesMutex);
    auto found = g_handles.find(reinterpret_cast<std::uintptr_t>(key));
    if (found == g_handles.end()) {
      return ERROR_INVALID_HANDLE;
    }
    closing = std::move(found->second);
    g_handles.erase(found);
  }
  // The last handle of an explicitly connected file closes it, outside the table lock.
  closing.reset();
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize)
{
  return Guarded([&] {
    if (data && !dataSize) {
      return InvalidParameter("a data buffer without its size");
    }
    OpenKey open;
    LONG code = ResolveFor(key, KEY_QUERY_VALUE, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    std::string fold = FoldName(valueName ? valueName : "");
    return open.store->Read([&] {
      Statement query(*open.store, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
      query.Bind(1, open.id);
      query.Bind(2, fold);
      int step = query.Step();
      if (step == SQLITE_DONE) {
        return MissingOr(*open.store, open.id, ERROR_FILE_NOT_FOUND);
      }
      if (step != SQLITE_ROW) {
        return query.Error() != ERROR_SUCCESS ? query.Error() : open.store->Fail(step);
      }
      if (type) {
        *type = static_cast<DWORD>(query.Int(0));
      }
      const void* bytes = query.Blob(1);
      return CopyData(bytes, static_cast<std::size_t>(query.Bytes(1)), data, dataSize);
    });
  });
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize)
{
  return Guarded([&] {
    if (!data && dataSize > 0) {
      return InvalidParameter("a data size without data");
    }
    std::string_view name = valueName ? valueName : "";
    if (!ValidValueName(name)) {
      return InvalidParameter("invalid value name");
    }
    OpenKey open;
    LONG code = ResolveFor(key, KEY_SET_VALUE, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    return open.store->Write([&] {
      LONG exists = MissingOr(*open.store, open.id, ERROR_SUCCESS);
      if (exists != ERROR_SUCCESS) {
        return exists;
      }
      // The name keeps the case it was first written with.
      Statement upsert(*open.store,
                       "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                       " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type,"
                       " data = excluded.data");
      upsert.Bind(1, open.id);
      upsert.Bind(2, name);
      upsert.Bind(3, FoldName(name));
      upsert.Bind(4, std::int64_t{type});
      upsert.BindBlob(5, data, dataSize);
      int step = upsert.Step();
      if (step != SQLITE_DONE) {
        return upsert.Error() != ERROR_SUCCESS ? upsert.Error() : open.store->Fail(step);
      }
      return ERROR_SUCCESS;
    });
  });
}

LONG RegDeleteValue(HKEY key, const char* valueName)
{
  return Guarded([&] {
    OpenKey open;
    LONG code = ResolveFor(key, KEY_SET_VALUE, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    std::string fold = FoldName(valueName ? valueName : "");
    return open.store->Write([&] {
      Statement remove(*open.store, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
      remove.Bind(1, open.id);
      remove.Bind(2, fold);
      int step = remove.Step();
      if (step != SQLITE_DONE) {
        return remove.Error() != ERROR_SUCCESS ? remove.Error() : open.store->Fail(step);
      }
      if (open.store->Changes() == 0) {
        return MissingOr(*open.store, open.id, ERROR_FILE_NOT_FOUND);
      }
      return ERROR_SUCCESS;
    });
  });
}

namespace {

LONG DeleteKey(HKEY key, const char* subKey, bool tree)
{
  return Guarded([&] {
    std::vector<std::string_view> names;
    if (!SplitPath(subKey, names)) {
      return InvalidParameter("invalid key path");
    }
    OpenKey open;
    LONG code = Resolve(key, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    return open.store->Write([&] {
      std::int64_t id = 0;
      bool created = false;
      LONG walked = WalkPath(*open.store, open.id, names, false, {}, id, created);
      if (walked != ERROR_SUCCESS) {
        return walked;
      }
      if (tree && !subKey) {
        return DeleteBelow(*open.store, id, false);
      }
      if (IsRootId(id)) {
        return ERROR_ACCESS_DENIED;
      }
      if (!tree) {
        Statement children(*open.store, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
        children.Bind(1, id);
        int step = children.Step();
        if (step == SQLITE_ROW) {
          return ERROR_ACCESS_DENIED;
        }
        if (step != SQLITE_DONE) {
          return children.Error() != ERROR_SUCCESS ? children.Error() : open.store->Fail(step);
        }
      }
      return DeleteBelow(*open.store, id, true);
    });
  });
}

} // namespace

LONG RegDeleteKey(HKEY key, const char* subKey)
{
  if (!subKey) {
    return InvalidParameter("no key to delete");
  }
  return DeleteKey(key, subKey, false);
}

LONG RegDeleteTree(HKEY key, const char* subKey)
{
  return DeleteKey(key, subKey && *subKey ? subKey : nullptr, true);
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                  char* className, DWORD* classSize)
{
  return Guarded([&] {
    if (!name || !nameSize || (className && !classSize)) {
      return InvalidParameter("a name buffer and its size are needed");
    }
    OpenKey open;
    LONG code = ResolveFor(key, KEY_ENUMERATE_SUB_KEYS, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    const char* sql = "SELECT name, class FROM keys WHERE parent = ?1"
                      " ORDER BY fold LIMIT 1 OFFSET ?2";
    return ReadRowAt(open, sql, index, [&](Statement& query) {
      LONG copied = CopyName(query.Text(0), name, nameSize);
      if (copied != ERROR_SUCCESS) {
        return copied;
      }
      if (classSize) {
        std::string keyClass = query.Text(1);
        if (!className) {
          *classSize = static_cast<DWORD>(keyClass.size());
          return ERROR_SUCCESS;
        }
        return CopyName(keyClass, className, classSize);
      }
      return ERROR_SUCCESS;
    });
  });
}

LONG RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataSize)
{
  return Guarded([&] {
    if (!valueName || !valueNameSize || (data && !dataSize)) {
      return InvalidParameter("a name buffer and its size are needed");
    }
    OpenKey open;
    LONG code = ResolveFor(key, KEY_QUERY_VALUE, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    const char* sql = "SELECT name, type, data FROM vals WHERE key = ?1"
                      " ORDER BY fold LIMIT 1 OFFSET ?2";
    return ReadRowAt(open, sql, index, [&](Statement& query) {
      LONG copied = CopyName(query.Text(0), valueName, valueNameSize);
      if (copied != ERROR_SUCCESS) {
        return copied;
      }
      if (type) {
        *type = static_cast<DWORD>(query.Int(1));
      }
      const void* bytes = query.Blob(2);
      return CopyData(bytes, static_cast<std::size_t>(query.Bytes(2)), data, dataSize);
    });
  });
}

LONG RegFlushKey(HKEY key)
{
  OpenKey open;
  return Guarded([&] { return Resolve(key, open); });
}

LONG RegRunTransaction(HKEY key, const std::function<LONG()>& body)
{
  return Guarded([&] {
    if (!body) {
      return InvalidParameter("no transaction body");
    }
    OpenKey open;
    LONG code = Resolve(key, open);
    if (code != ERROR_SUCCESS) {
      return code;
    }
    return open.store->RunTransaction(body);
  });
}

LONG RegGetString(HKEY key, const std::string& subKey, const std::string& valueName,
                  std::string& text)
{
  HKEY opened = nullptr;
  LONG result = RegOpenKeyEx(key, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  std::vector<BYTE> data;
  DWORD type = REG_NONE;
  DWORD size = 0;
  do {
    data.resize(size);
    result = RegQueryValueEx(opened, valueName.c_str(), nullptr, &type,
                             data.empty() ? nullptr : data.data(), &size);
  } while (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && data.size() < size));
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    return ERROR_INVALID_DATA;
  }
  if (size == 0) {
    text.clear();
    return ERROR_SUCCESS;
  }
  const auto* begin = reinterpret_cast<const char*>(data.data());
  text.assign(begin, strnlen(begin, size));
  return ERROR_SUCCESS;
}

LONG RegSetString(HKEY key, const std::string& subKey, const std::string& valueName,
                  const std::string& text)
{
  HKEY opened = nullptr;
  LONG result = RegCreateKeyEx(key, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  result = RegSetValueEx(opened, valueName.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
  RegCloseKey(opened);
  return result;
}

std::string RegErrorMessage(LONG code)
{
  switch (code) {
  case ERROR_SUCCESS:
    return "The operation completed successfully.";
  case ERROR_FILE_NOT_FOUND:
    return "The registry key or value was not found.";
  case ERROR_ACCESS_DENIED:
    return "Access to the registry key was denied.";
  case ERROR_INVALID_HANDLE:
    return "The registry key handle is invalid.";
  case ERROR_INVALID_DATA:
    return "The registry value has another type than expected.";
  case ERROR_NOT_ENOUGH_MEMORY:
    return "Not enough memory for the registry operation.";
  case ERROR_INVALID_PARAMETER:
    return "A parameter of the registry call is invalid.";
  case ERROR_DISK_FULL:
    return "The disk holding the registry file is full.";
  case ERROR_BUSY:
    return "The registry file stayed locked by another process.";
  case ERROR_MORE_DATA:
    return "The buffer is too small for the data.";
  case ERROR_NO_MORE_ITEMS:
    return "No more items.";
  case ERROR_BADDB:
    return "The registry file is not a registry or is damaged.";
  case ERROR_REGISTRY_IO_FAILED:
    return "The registry file could not be read or written.";
  case ERROR_KEY_DELETED:
    return "The registry key was deleted.";
  default:
    return "Registry error " + std::to_string(code) + ".";
  }
}

} // namespace platform
