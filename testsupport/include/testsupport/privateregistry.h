// A private registry file per test, with the harness's root key as the demo seed has it, and
// look-ups of what the code under test wrote.
#pragma once

#include "testsupport/tempfolder.h"

#include "platform/regkey.h"
#include "plinth/component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

inline constexpr const char* kRootKey = "SOFTWARE\\Orvane\\Halvex";
inline constexpr const char* kComponentDllsKey = "SOFTWARE\\Orvane\\Halvex\\ComponentDlls";

// Points HALVEX_REGISTRY at a file in folder, sets gszComponentRegistryKey and the logging
// level, and restores them afterwards.
class PrivateRegistry
{
public:
  explicit PrivateRegistry(const TempFolder& folder)
  {
    const char* old = std::getenv("HALVEX_REGISTRY");
    m_hadOld = old != nullptr;
    m_old = old ? old : "";
    m_file = folder.File("registry.db");
    setenv("HALVEX_REGISTRY", m_file.c_str(), 1);
    m_oldKey = gszComponentRegistryKey;
    m_oldLevel = guiLoggingLevel;
    gszComponentRegistryKey = kComponentDllsKey;
  }
  ~PrivateRegistry()
  {
    if (m_hadOld)
      setenv("HALVEX_REGISTRY", m_old.c_str(), 1);
    else
      unsetenv("HALVEX_REGISTRY");
    gszComponentRegistryKey = m_oldKey;
    guiLoggingLevel = m_oldLevel;
  }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

  const std::string& File() const { return m_file; }

  // The harness's root key with the ComponentDlls key below it, as the demo seed has them.
  void SeedRoot(const std::string& installationFolder, const std::string& iniFilesFolder)
  {
    CRegKey root;
    ASSERT_EQ(root.CreateKeyString(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(root.WriteString("InstallationFolder", installationFolder), 0);
    if (!iniFilesFolder.empty()) {
      ASSERT_EQ(root.WriteString("INIFilesFolder", iniFilesFolder), 0);
    }
    CRegKey dlls;
    ASSERT_EQ(dlls.CreateKeyString(platform::HKEY_LOCAL_MACHINE, kComponentDllsKey), 0);
  }

private:
  std::string m_file;
  std::string m_old;
  bool m_hadOld = false;
  std::string m_oldKey;
  unsigned int m_oldLevel = 1;
};

// A string value below HKEY_LOCAL_MACHINE; "<missing: error>" when it cannot be read.
inline std::string ReadString(const std::string& keyPath, const std::string& name)
{
  CRegKey key;
  platform::LONG result = key.Open(platform::HKEY_LOCAL_MACHINE, keyPath);
  if (result != 0)
    return "<missing: " + std::to_string(result) + ">";
  std::string value;
  result = key.ReadString(name, value);
  return result == 0 ? value : "<missing: " + std::to_string(result) + ">";
}

inline long ReadDword(const std::string& keyPath, const std::string& name)
{
  CRegKey key;
  if (key.Open(platform::HKEY_LOCAL_MACHINE, keyPath) != 0)
    return -1;
  platform::DWORD value = 0;
  return key.ReadDword(name, value) == 0 ? static_cast<long>(value) : -1;
}

inline bool KeyExists(const std::string& keyPath)
{
  CRegKey key;
  return key.Open(platform::HKEY_LOCAL_MACHINE, keyPath) == 0;
}

inline std::vector<std::string> SubKeys(const std::string& keyPath)
{
  std::vector<std::string> names;
  CRegKey key;
  if (key.Open(platform::HKEY_LOCAL_MACHINE, keyPath) != 0)
    return names;
  for (platform::DWORD i = 0;; ++i) {
    char name[256];
    platform::DWORD size = sizeof name;
    if (platform::RegEnumKeyEx(key, i, name, &size, nullptr, nullptr, nullptr) != 0)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

} // namespace testsupport
