// The registry: keys and typed values under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, kept in
// one SQLite file that several processes may use at once. Every call returns a registry error
// code (ERROR_SUCCESS = 0); no call throws. All functions are thread-safe.
//
// The file is the one named by HALVEX_REGISTRY, else halvex/registry.db in the user's data
// folder (UserDataFolder of platform/system.h: an absolute $XDG_DATA_HOME, else
// ~/.local/share), created with its folders when missing. The name is looked
// up on each call through a predefined root, so changing HALVEX_REGISTRY switches files.
// RegConnectRegistryFile gives a root on any other file.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

using REGSAM = DWORD;

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;

inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});

// Error codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_DISK_FULL = 112;
inline constexpr LONG ERROR_BUSY = 170;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_BADDB = 1009;              // not a registry file, or damaged
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016; // the file cannot be created or written
inline constexpr LONG ERROR_KEY_DELETED = 1018;        // the key behind the handle was deleted

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights. A handle opened without a right gets ERROR_ACCESS_DENIED for calls needing it.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// RegCreateKeyEx options and dispositions. Volatile keys are kept like the others.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_OPTION_VOLATILE = 1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Limits, in characters without the terminating NUL.
inline constexpr DWORD kMaxKeyNameLength = 255;
inline constexpr DWORD kMaxValueNameLength = 16383;

// Key paths are relative to `key`, components separated by one backslash (a trailing one is
// allowed); a null or empty path means `key` itself. Key names may not hold control characters,
// value names no line breaks. Names compare ignoring ASCII case and keep the case of creation.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM samDesired, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, const char* className,
                    DWORD options, REGSAM samDesired, const void* securityAttributes, HKEY* result,
                    DWORD* disposition);
LONG RegCloseKey(HKEY key);

// With data null and dataSize given: the size only. With a buffer shorter than the value:
// ERROR_MORE_DATA, and *dataSize is the size needed. A null or empty name is the default value.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize);
// Stores exactly dataSize bytes; a REG_SZ written by convention includes its terminating NUL.
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize);
LONG RegDeleteValue(HKEY key, const char* valueName);

// Deletes a key without sub-keys (ERROR_ACCESS_DENIED when it has some), with its values.
LONG RegDeleteKey(HKEY key, const char* subKey);
// Deletes a key with everything below it; with a null subKey, everything below `key` only.
LONG RegDeleteTree(HKEY key, const char* subKey);

// Enumeration by index in name order ignoring case; ERROR_NO_MORE_ITEMS past the end. Sizes are
// in characters: in, the buffer size including the NUL; out, the length without it.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                  char* className, DWORD* classSize);
LONG RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataSize);

// Every write is durable when its call returns; this only checks the handle.
LONG RegFlushKey(HKEY key);

// A root key (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) of the registry in `file`, created when
// missing. Close it with RegCloseKey; keys opened below it use the same file.
LONG RegConnectRegistryFile(const std::string& file, HKEY root, HKEY* result);

// The file the predefined roots use now (see above).
std::string RegDefaultFile();

// Runs `body` as one transaction on the file behind `key`: registry calls made by this thread
// inside it all take effect when it returns ERROR_SUCCESS, and none otherwise. Other threads of
// the process wait; other processes see nothing until the end.
LONG RegRunTransaction(HKEY key, const std::function<LONG()>& body);

// Shorthands over the calls above. RegGetString reads a REG_SZ or REG_EXPAND_SZ value of `subKey`
// below `key` (empty: `key` itself) without its terminating NUL; a value of another type gives
// ERROR_INVALID_DATA. RegSetString creates `subKey` when missing and writes a REG_SZ value with
// its terminating NUL.
LONG RegGetString(HKEY key, const std::string& subKey, const std::string& valueName,
                  std::string& text);
LONG RegSetString(HKEY key, const std::string& subKey, const std::string& valueName,
                  const std::string& text);

// A sentence for an error code, and the details of the last failure on this thread (file name
// and the store's own reason) when a store was involved.
std::string RegErrorMessage(LONG code);
std::string RegLastErrorDetail();

} // namespace platform
