// CRegKey over the registry calls.
#include "platform/regkey.h"

#include <cstring>
#include <vector>

using namespace platform;

CRegKey::CRegKey(ReadFailure readFailure) : m_readFailure(readFailure)
{
  std::strcpy(m_szSubKey, " ");
}

CRegKey::~CRegKey()
{
  Close();
}

void CRegKey::RememberSubKey(const std::string& path)
{
  std::size_t length = std::min(path.size(), kSubKeyLength - 1);
  std::memcpy(m_szSubKey, path.data(), length);
  m_szSubKey[length] = '\0';
}

LONG CRegKey::Open(HKEY root, const std::string& path)
{
  Close();
  HKEY key = nullptr;
  LONG result = RegOpenKeyEx(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (result == ERROR_SUCCESS) {
    m_hKey = key;
    RememberSubKey(path);
  }
  return result;
}

LONG CRegKey::CreateKeyString(HKEY root, const std::string& path)
{
  Close();
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyEx(root, path.c_str(), 0, "REG_SZ", REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (result == ERROR_SUCCESS) {
    m_hKey = key;
    RememberSubKey(path);
  }
  return result;
}

LONG CRegKey::ReadDword(const std::string& name, DWORD& out)
{
  // A shorter value overwrites only its own bytes, as a read into `out` itself would.
  DWORD value = out;
  DWORD size = sizeof value;
  LONG result = RegQueryValueEx(m_hKey, name.c_str(), nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&value), &size);
  if (result == ERROR_SUCCESS) {
    out = value;
  }
  return result;
}

LONG CRegKey::ReadString(const std::string& name, std::string& out)
{
  DWORD size = 0;
  LONG result = QueryValue(name, nullptr, &size);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  std::vector<BYTE> buffer(size + 1, 0);
  result = QueryValue(name, buffer.data(), &size);
  if (result != ERROR_SUCCESS) {
    if (m_readFailure == ReadFailure::EmptyText) {
      out.clear();
    }
    return result;
  }
  // The text ends at its NUL; a value stored without one ends at its size.
  const char* text = reinterpret_cast<const char*>(buffer.data());
  out.assign(text, strnlen(text, size));
  return ERROR_SUCCESS;
}

LONG CRegKey::QueryValue(const std::string& name, BYTE* data, DWORD* size)
{
  return RegQueryValueEx(m_hKey, name.c_str(), nullptr, nullptr, data, size);
}

LONG CRegKey::WriteDword(const std::string& name, DWORD value)
{
  return RegSetValueEx(m_hKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
}

LONG CRegKey::WriteString(const std::string& name, const std::string& text)
{
  return RegSetValueEx(m_hKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
}

LONG CRegKey::Flush()
{
  return m_hKey ? RegFlushKey(m_hKey) : ERROR_SUCCESS;
}

LONG CRegKey::Close()
{
  if (!m_hKey) {
    return ERROR_SUCCESS;
  }
  HKEY key = m_hKey;
  m_hKey = nullptr;
  return RegCloseKey(key);
}
