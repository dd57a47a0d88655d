// Settings and the test-execution key on a real registry file of the test's own.
#include "harness/registrystore.h"
#include "harness/startup.h"
#include "platform/registry.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

using namespace platform;

const std::string kRoot = "SOFTWARE\\Orvane\\Halvex";

class RegistryStoreTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ::setenv("HALVEX_REGISTRY", folder.File("registry.db").c_str(), 1);
    strings = HarnessStrings();
  }
  void TearDown() override { ::unsetenv("HALVEX_REGISTRY"); }

  SettingsContext Context()
  {
    return {strings, prompts,
            [this](unsigned level, const std::string& text) { logged.push_back(text); }};
  }
  void SetString(const std::string& key, const char* name, const std::string& value)
  {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueEx(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
  }

  TempFolder folder;
  StringTable strings;
  RecordingPrompts prompts;
  std::vector<std::string> logged;
};

TEST_F(RegistryStoreTest, SettingsRoundTripThroughTheRegistry)
{
  CRegistrySettingsStore store;
  CHarnessSettings settings;
  settings.SetDefaults();
  EXPECT_FALSE(LoadSettings(settings, store, kRoot, Context())); // no key yet
  SetString(kRoot, "InstallationFolder", "/opt/halvex");
  SetString(kRoot, "DefaultLoggingFolder", "/var/log");
  ASSERT_TRUE(LoadSettings(settings, store, kRoot, Context()));
  EXPECT_EQ(settings.m_strLogFilePath, "/var/log/HalvexLog.txt");
  EXPECT_EQ(prompts.requests.size(), 3u); // the key box, then the two file warnings
  settings.m_nLoggingLevel = 3;
  settings.m_nLogDateTime = 0;
  settings.m_strFileViewerPath = "/usr/bin/parlo";
  ASSERT_TRUE(SaveSettings(settings, store, kRoot, Context()));
  CHarnessSettings loaded;
  loaded.SetDefaults();
  prompts.requests.clear();
  ASSERT_TRUE(LoadSettings(loaded, store, kRoot, Context()));
  EXPECT_TRUE(prompts.requests.empty());
  EXPECT_EQ(loaded.m_strLogFilePath, "/var/log/HalvexLog.txt");
  EXPECT_EQ(loaded.m_strFileViewerPath, "/usr/bin/parlo");
  EXPECT_EQ(loaded.m_nLoggingLevel, 3u);
  EXPECT_EQ(loaded.m_nLogDateTime, 0u);
}

TEST_F(RegistryStoreTest, TestExecutionKeyIsCreatedThenRead)
{
  CRegistrySettingsStore store;
  EXPECT_EQ(ReadTestExecutionStatus(store, kRoot), "Prebootbatch");
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyEx(HKEY_LOCAL_MACHINE, (kRoot + "\\TestExecution").c_str(), 0, KEY_READ, &key),
      ERROR_SUCCESS);
  DWORD runAll = 0, size = 4, type = 0;
  EXPECT_EQ(
      RegQueryValueEx(key, "RunAllStatus", nullptr, &type, reinterpret_cast<BYTE*>(&runAll), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(runAll, 1u);
  RegCloseKey(key);
  SetString(kRoot + "\\TestExecution", "TestExecutionStatus", "batchresume");
  EXPECT_EQ(ReadTestExecutionStatus(store, kRoot), "BatchResume");
}

TEST_F(RegistryStoreTest, BinaryValuesRoundTrip)
{
  CRegistrySettingsStore store;
  ASSERT_EQ(store.Create(WorkspaceKey(kRoot)), 0);
  std::vector<std::uint8_t> data = {0, 1, 2, 255, 0, 7};
  EXPECT_EQ(store.WriteBinary(kBarStateValue, data), 0);
  std::vector<std::uint8_t> read;
  EXPECT_EQ(store.ReadBinary(kBarStateValue, read), 0);
  EXPECT_EQ(read, data);
  EXPECT_EQ(store.WriteString("Text", "abc"), 0);
  EXPECT_NE(store.ReadBinary("Text", read), 0);
  EXPECT_NE(store.ReadBinary("Missing", read), 0);
  EXPECT_EQ(read, data);
  store.Close();
}

} // namespace
} // namespace harness::test
