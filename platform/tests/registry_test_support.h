// Shared helpers for the registry tests: private registry files and their values.
#pragma once

#include "platform/registry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::TempFolder;

// A root key on a private registry file, closed at the end of the test.
class ConnectedRoot
{
public:
  explicit ConnectedRoot(const std::string& file,
                         platform::HKEY root = platform::HKEY_LOCAL_MACHINE)
  {
    m_result = platform::RegConnectRegistryFile(file, root, &m_key);
  }
  ~ConnectedRoot()
  {
    if (m_result == platform::ERROR_SUCCESS) {
      platform::RegCloseKey(m_key);
    }
  }
  ConnectedRoot(const ConnectedRoot&) = delete;
  ConnectedRoot& operator=(const ConnectedRoot&) = delete;

  platform::LONG Result() const { return m_result; }
  operator platform::HKEY() const { return m_key; }

private:
  platform::HKEY m_key = nullptr;
  platform::LONG m_result;
};

inline platform::LONG SetString(platform::HKEY key, const char* name, const std::string& text)
{
  return platform::RegSetValueEx(key, name, 0, platform::REG_SZ,
                                 reinterpret_cast<const platform::BYTE*>(text.c_str()),
                                 static_cast<platform::DWORD>(text.size() + 1));
}

inline platform::LONG SetDword(platform::HKEY key, const char* name, platform::DWORD value)
{
  return platform::RegSetValueEx(key, name, 0, platform::REG_DWORD,
                                 reinterpret_cast<const platform::BYTE*>(&value), sizeof value);
}

inline platform::LONG GetDword(platform::HKEY key, const char* name, platform::DWORD& value)
{
  platform::DWORD size = sizeof value;
  return platform::RegQueryValueEx(key, name, nullptr, nullptr,
                                   reinterpret_cast<platform::BYTE*>(&value), &size);
}

inline std::vector<std::string> SubKeyNames(platform::HKEY key)
{
  std::vector<std::string> names;
  for (platform::DWORD i = 0;; ++i) {
    char name[256];
    platform::DWORD size = sizeof name;
    if (platform::RegEnumKeyEx(key, i, name, &size, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}

inline std::vector<std::string> ValueNames(platform::HKEY key)
{
  std::vector<std::string> names;
  for (platform::DWORD i = 0;; ++i) {
    char name[16384];
    platform::DWORD size = sizeof name;
    if (platform::RegEnumValue(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}
