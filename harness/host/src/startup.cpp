// Start-up decisions.
#include "harness/startup.h"

#include "harness/logfile.h"

#include "platform/profile.h"

#include <cstdio>
#include <strings.h>

namespace harness {

std::string ConfigurationIniPath(const std::string& programFolder)
{
  return JoinPath(programFolder, kConfigurationIniName);
}

bool ReadRootKey(const std::string& iniPath, std::string& rootKey)
{
  char buffer[260] = {};
  platform::GetPrivateProfileString("General", "RegistryKey", " ", buffer, sizeof buffer,
                                    iniPath.c_str());
  rootKey = buffer;
  return !rootKey.empty();
}

std::string ComponentDllsKey(const std::string& rootKey)
{
  return rootKey + "\\ComponentDlls";
}

std::string TestExecutionKey(const std::string& rootKey)
{
  return rootKey + "\\TestExecution";
}

std::string NormaliseTestExecutionStatus(const std::string& stored)
{
  return strcasecmp(stored.c_str(), kStatusBatchResume) == 0 ? kStatusBatchResume
                                                             : kStatusPrebootbatch;
}

std::string ReadTestExecutionStatus(SettingsStore& store, const std::string& rootKey)
{
  const std::string key = TestExecutionKey(rootKey);
  if (store.Open(key) != 0) {
    if (store.Create(key) == 0) {
      store.WriteString("TestExecutionStatus", kStatusPrebootbatch);
      store.WriteDword("RunAllStatus", 1);
      store.Close();
    }
    return kStatusPrebootbatch;
  }
  std::string stored;
  if (store.ReadString("TestExecutionStatus", stored) != 0)
    stored.clear();
  store.Close();
  if (stored.size() > 260)
    stored.resize(260);
  return NormaliseTestExecutionStatus(stored);
}

bool WriteTestExecutionStatus(SettingsStore& store, const std::string& rootKey,
                              const std::string& status)
{
  if (store.Open(TestExecutionKey(rootKey)) != 0)
    return false;
  const bool written = store.WriteString("TestExecutionStatus", status) == 0;
  store.Close();
  return written;
}

std::string MarlowPath(const std::string& iniFilesFolder)
{
  return iniFilesFolder + kMarlowFileName;
}

bool RuntimeVersionSufficient(unsigned major, unsigned minor, unsigned minMajor, unsigned minMinor)
{
  auto dword = [](unsigned high, unsigned low) {
    return (static_cast<std::uint32_t>(high & 0xFFFF) << 16) | (low & 0xFFFF);
  };
  return dword(major, minor) >= dword(minMajor, minMinor);
}

bool ParseRuntimeVersion(const std::string& text, unsigned& major, unsigned& minor)
{
  major = minor = 0;
  int read = std::sscanf(text.c_str(), "%u.%u", &major, &minor);
  return read >= 1;
}

} // namespace harness
