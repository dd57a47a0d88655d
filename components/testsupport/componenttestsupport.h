// Test helpers for the component plug-ins: a private folder and registry per test, a log
// window that keeps the lines components send, and registry look-ups.
#pragma once

#include "plinth/component.h"

#include "platform/messages.h"
#include "platform/regkey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace componenttest {

inline constexpr const char* kRootKey = "SOFTWARE\\Orvane\\Halvex";
inline constexpr const char* kComponentDllsKey = "SOFTWARE\\Orvane\\Halvex\\ComponentDlls";

class TempFolder
{
public:
  TempFolder()
  {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "halvex-components-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    m_path = made ? made : "";
  }
  ~TempFolder()
  {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return (m_path / name).string(); }
  std::string Path() const { return m_path.string(); }

  void Write(const std::string& name, const std::string& text) const
  {
    std::filesystem::create_directories((m_path / name).parent_path());
    std::ofstream out(File(name), std::ios::binary);
    out << text;
  }

private:
  std::filesystem::path m_path;
};

// Collects the log lines sent to this thread's main window. Lines sent from this thread arrive
// at once.
class LogCapture
{
public:
  LogCapture()
  {
    m_msg = platform::RegisterWindowMessage("HALVEX Log Message");
    m_window = platform::CreateWindow(
        "HALVEXclass", [this](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
          if (msg == m_msg)
            m_lines.emplace_back(reinterpret_cast<const char*>(lParam));
          return platform::LRESULT{0};
        });
    m_previous = platform::GetMainWnd();
    platform::SetMainWnd(m_window);
  }
  ~LogCapture()
  {
    platform::SetMainWnd(m_previous);
    platform::DestroyWindow(m_window);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& Lines() const { return m_lines; }
  void Clear() { m_lines.clear(); }
  bool Has(const std::string& line) const
  {
    for (const auto& l : m_lines)
      if (l == line)
        return true;
    return false;
  }
  bool HasPart(const std::string& part) const
  {
    for (const auto& l : m_lines)
      if (l.find(part) != std::string::npos)
        return true;
    return false;
  }
  std::string All() const
  {
    std::string all;
    for (const auto& l : m_lines)
      all += l + "\n";
    return all;
  }

private:
  platform::UINT m_msg = 0;
  platform::HWND m_window = nullptr;
  platform::HWND m_previous = nullptr;
  std::vector<std::string> m_lines;
};

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

} // namespace componenttest
