// Registry text files (.reg): parsing, import as one transaction, and export.
//
// A file starts with "REGEDIT4" or "Windows Registry Editor Version 5.00" (UTF-16LE with a byte
// order mark, or single-byte text, with or without a UTF-8 mark). Then, line by line:
//   [HKEY_LOCAL_MACHINE\Path]   create the key (HKEY_CURRENT_USER, HKLM and HKCU also name roots)
//   [-HKEY_LOCAL_MACHINE\Path]  delete the key and everything below it
//   "name"="text"               REG_SZ, stored with its NUL; \\ and \" are the escapes
//   @=...                       the key's default value
//   "name"=dword:0000002a       REG_DWORD
//   "name"=hex:01,02,...        REG_BINARY; hex(n): gives the type number n in hex; a line ending
//                               in a backslash continues on the next one. In version 5 files the
//                               bytes of hex(1), hex(2) and hex(7) are UTF-16LE.
//   "name"=-                    delete the value
//   ; comment, and blank lines.
// Export writes version 5 files.
#pragma once

#include "platform/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The two roots of one registry file: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER themselves for
// the default file, or the handles RegConnectRegistryFile gave for another.
struct RegRoots
{
  HKEY machine = HKEY_LOCAL_MACHINE;
  HKEY user = HKEY_CURRENT_USER;
};

struct RegFileError
{
  int line = 0; // 1-based; 0 when the error is not about a line
  std::string message;
};

// One change a .reg file asks for, in file order.
struct RegFileChange
{
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::CreateKey;
  int line = 0;
  HKEY root = HKEY_LOCAL_MACHINE; // HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
  std::string path;               // below the root; empty for the root itself
  std::string valueName;          // empty for the default value
  DWORD type = REG_NONE;
  std::string data; // the value's bytes
};

// Parses the whole text; false with the first error's line and what is wrong.
bool ParseRegFile(std::string_view text, std::vector<RegFileChange>& changes, RegFileError& error);

// Parses and applies a .reg text in one transaction: on any error nothing changes. Returns
// ERROR_SUCCESS, ERROR_INVALID_PARAMETER for a bad file, or the registry's error code.
LONG ImportRegFile(std::string_view text, const RegRoots& roots, RegFileError& error);

// Splits "HKEY_LOCAL_MACHINE\Path" (or "HKLM\Path") into a predefined root and a path.
bool ParseRegKeyName(std::string_view name, HKEY& root, std::string& path);

// Writes the key named `keyName` and everything below it as a version 5 .reg text, names in
// their stored case. ERROR_FILE_NOT_FOUND when the key does not exist.
LONG ExportRegKey(const RegRoots& roots, std::string_view keyName, std::string& text);

// "REG_SZ" for REG_SZ and so on, and back; false for an unknown name.
std::string RegTypeName(DWORD type);
bool ParseRegTypeName(std::string_view name, DWORD& type);

} // namespace platform
