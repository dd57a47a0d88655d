// CRegKey: one open registry key with string and 32-bit value access, used by the harness and
// by the component plug-ins. Every operation returns a registry error code (0 = success).
#pragma once

#include "platform/registry.h"

#include <string>

class CRegKey
{
public:
  // What ReadString does with its output when the read after the size query fails: the
  // harness keeps the old text, the component plug-ins empty it.
  enum class ReadFailure { KeepText, EmptyText };

  static constexpr std::size_t kSubKeyLength = 260;

  explicit CRegKey(ReadFailure readFailure = ReadFailure::KeepText);
  virtual ~CRegKey();
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;

  // Both close a key held already, then open (create) `path` below `root` with full access.
  platform::LONG Open(platform::HKEY root, const std::string& path);
  // Creates or opens; non-volatile, class string "REG_SZ".
  platform::LONG CreateKeyString(platform::HKEY root, const std::string& path);

  // Reads 4 bytes whatever the value's type; `out` is unchanged on error.
  platform::LONG ReadDword(const std::string& name, platform::DWORD& out);
  // Asks for the size, then reads; `out` is assigned only on success (see ReadFailure).
  platform::LONG ReadString(const std::string& name, std::string& out);
  platform::LONG WriteDword(const std::string& name, platform::DWORD value);
  // REG_SZ including the terminating NUL.
  platform::LONG WriteString(const std::string& name, const std::string& text);

  // Both return 0 when no key is open; closing twice is harmless.
  platform::LONG Flush();
  platform::LONG Close();

  platform::HKEY GetHandle() const { return m_hKey; }
  operator platform::HKEY() const { return m_hKey; }
  // The last sub-key path opened or created (" " for a fresh object), at most 259 characters.
  const char* GetSubKey() const { return m_szSubKey; }

protected:
  // The value read behind ReadDword and ReadString (RegQueryValueEx); tests replace it to fail
  // one particular call.
  virtual platform::LONG QueryValue(const std::string& name, platform::BYTE* data,
                                    platform::DWORD* size);

private:
  void RememberSubKey(const std::string& path);

  platform::HKEY m_hKey = nullptr;
  char m_szSubKey[kSubKeyLength];
  ReadFailure m_readFailure;
};
