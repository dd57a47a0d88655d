// Settings: defaults, warnings for the two file paths, load failures and the save order.
#include "harness/settings.h"
#include "harness/stringids.h"
#include "mapstore.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

const std::string kRoot = "SOFTWARE\\Orvane\\Halvex";

class SettingsTest : public ::testing::Test
{
protected:
  SettingsTest() : strings(HarnessStrings())
  {
    store.keys.insert(kRoot);
    settings.SetDefaults();
  }
  SettingsContext Context()
  {
    return {strings, prompts,
            [this](unsigned level, const std::string& text) { logged.emplace_back(level, text); }};
  }

  StringTable strings;
  RecordingPrompts prompts;
  MapStore store;
  CHarnessSettings settings;
  std::vector<std::pair<unsigned, std::string>> logged;
};

TEST_F(SettingsTest, SetDefaultsGivesTheStartValues)
{
  settings.m_nLoggingLevel = 3;
  settings.m_nLogDateTime = 1;
  settings.m_nReportOem = 0;
  settings.m_nLogDestination = 2;
  settings.SetDefaults();
  EXPECT_EQ(settings.m_nLoggingLevel, 1u);
  EXPECT_EQ(settings.m_nLogDateTime, 0u);
  EXPECT_EQ(settings.m_nReportOem, 1u);
  EXPECT_EQ(settings.m_nLogDestination, 0);
}

TEST_F(SettingsTest, MissingRootKeyFailsWithABox)
{
  store.keys.clear();
  EXPECT_FALSE(LoadSettings(settings, store, kRoot, Context()));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(prompts.requests[0].icon, BoxIcon::Error);
  EXPECT_NE(prompts.requests[0].text.find(kRoot), std::string::npos);
  EXPECT_NE(prompts.requests[0].text.find("2"), std::string::npos);
}

TEST_F(SettingsTest, MissingInstallationFolderFails)
{
  EXPECT_FALSE(LoadSettings(settings, store, kRoot, Context()));
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_NE(prompts.requests[0].text.find("InstallationFolder"), std::string::npos);
  EXPECT_EQ(store.current, ""); // the key was closed
}

TEST_F(SettingsTest, MissingValuesTakeTheirDefaultsAndOnlyFilePathsWarn)
{
  store.strings[kRoot + "|InstallationFolder"] = "/opt/halvex";
  store.strings[kRoot + "|DefaultLoggingFolder"] = "/var/log/halvex";
  ASSERT_TRUE(LoadSettings(settings, store, kRoot, Context()));
  EXPECT_EQ(settings.m_strIniFilesFolder, "/opt/halvex/test/bin/");
  EXPECT_EQ(settings.m_strLogFilePath, "/var/log/halvex/HalvexLog.txt");
  EXPECT_EQ(settings.m_strResultsFilePath, "/var/log/halvex/HalvexResults.txt");
  EXPECT_EQ(settings.m_strTestSuitesFolder, "/opt/halvex/" + strings.Get(ids::kSuitesSubFolder) +
                                                "/" + strings.Get(ids::kSuitesFolder));
  EXPECT_EQ(settings.m_strFileViewerPath, strings.Get(ids::kDefaultViewer));
  EXPECT_EQ(settings.m_nLoggingLevel, 1u);
  EXPECT_EQ(settings.m_nLogDateTime, 1u);
  EXPECT_EQ(settings.m_nDontShowStartupBox, 0u);
  EXPECT_EQ(settings.m_nReportTsFileName, 1u);
  ASSERT_EQ(prompts.requests.size(), 2u);
  EXPECT_EQ(prompts.requests[0].icon, BoxIcon::Warning);
  EXPECT_NE(prompts.requests[0].text.find("LogFilePath"), std::string::npos);
  EXPECT_NE(prompts.requests[0].text.find("HalvexLog.txt"), std::string::npos);
  EXPECT_NE(prompts.requests[1].text.find("ResultsFilePath"), std::string::npos);
  EXPECT_NE(prompts.requests[1].text.find("HalvexResults.txt"), std::string::npos);
}

TEST_F(SettingsTest, EmptyLoggingFolderGivesBareFileNames)
{
  store.strings[kRoot + "|InstallationFolder"] = "/opt/halvex";
  ASSERT_TRUE(LoadSettings(settings, store, kRoot, Context()));
  EXPECT_EQ(settings.m_strLogFilePath, "HalvexLog.txt");
  EXPECT_EQ(settings.m_strResultsFilePath, "HalvexResults.txt");
}

TEST_F(SettingsTest, StoredValuesAreRead)
{
  store.strings[kRoot + "|InstallationFolder"] = "/opt/h";
  store.strings[kRoot + "|INIFilesFolder"] = "/defs";
  store.strings[kRoot + "|LogFilePath"] = "/l.txt";
  store.strings[kRoot + "|ResultsFilePath"] = "/r.txt";
  store.strings[kRoot + "|TestSuitesFolder"] = "/suites";
  store.strings[kRoot + "|FileViewerPath"] = "/usr/bin/my viewer";
  store.dwords[kRoot + "|LoggingLevel"] = 3;
  store.dwords[kRoot + "|LogDateTime"] = 0;
  store.dwords[kRoot + "|DontShowStartupBox"] = 1;
  store.dwords[kRoot + "|ReportModel"] = 0;
  ASSERT_TRUE(LoadSettings(settings, store, kRoot, Context()));
  EXPECT_TRUE(prompts.requests.empty());
  EXPECT_EQ(settings.m_strIniFilesFolder, "/defs");
  EXPECT_EQ(settings.m_strLogFilePath, "/l.txt");
  EXPECT_EQ(settings.m_strResultsFilePath, "/r.txt");
  EXPECT_EQ(settings.m_strTestSuitesFolder, "/suites");
  EXPECT_EQ(settings.m_strFileViewerPath, "/usr/bin/my viewer");
  EXPECT_EQ(settings.m_nLoggingLevel, 3u);
  EXPECT_EQ(settings.m_nLogDateTime, 0u);
  EXPECT_EQ(settings.m_nDontShowStartupBox, 1u);
  EXPECT_EQ(settings.m_nReportModel, 0u);
}

TEST_F(SettingsTest, SaveWritesInOrderAndGoesOnAfterAFailedValue)
{
  settings.m_strLogFilePath = "/l.txt";
  settings.m_nLoggingLevel = 2;
  store.failing = {"TestSuitesFolder", "ReportOem"};
  ASSERT_TRUE(SaveSettings(settings, store, kRoot, Context()));
  const std::vector<std::string> order = {"LogFilePath",
                                          "ResultsFilePath",
                                          "TestSuitesFolder",
                                          "FileViewerPath",
                                          "LoggingLevel",
                                          "AppendToLogFile",
                                          "MaximizeDocument",
                                          "AppendToResultsFile",
                                          "NtLoggingEnable",
                                          "LogDateTime",
                                          "ReportFirmwareVersion",
                                          "ReportManufacturer",
                                          "ReportModel",
                                          "ReportOem",
                                          "ReportDriverVersion",
                                          "ReportSerialNumber",
                                          "ReportTestCaseElapsedTime",
                                          "ReportTestSuiteElapsedTime",
                                          "ReportTsFileName",
                                          "DontShowStartupBox",
                                          "JUnitReportPath",
                                          "JsonReportPath"};
  EXPECT_EQ(store.writes, order);
  EXPECT_EQ(store.strings[kRoot + "|LogFilePath"], "/l.txt");
  EXPECT_EQ(store.dwords[kRoot + "|LoggingLevel"], 2u);
  EXPECT_EQ(store.dwords.count(kRoot + "|ReportOem"), 0u);
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[0].first, 0u);
  EXPECT_NE(logged[0].second.find("TestSuitesFolder"), std::string::npos);
  EXPECT_NE(logged[0].second.find("5"), std::string::npos);
  EXPECT_NE(logged[1].second.find("ReportOem"), std::string::npos);
  EXPECT_EQ(logged[2].first, 2u);
  EXPECT_EQ(logged[2].second, strings.Get(ids::kSettingsSaved));
  EXPECT_EQ(store.current, "");
}

TEST_F(SettingsTest, SaveWithoutTheKeyFailsWithABox)
{
  store.keys.clear();
  EXPECT_FALSE(SaveSettings(settings, store, kRoot, Context()));
  EXPECT_TRUE(store.writes.empty());
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(prompts.requests[0].icon, BoxIcon::Error);
}

TEST_F(SettingsTest, SavedSettingsLoadBackUnchanged)
{
  store.strings[kRoot + "|InstallationFolder"] = "/opt/h";
  settings.m_strLogFilePath = "/a/log.txt";
  settings.m_strResultsFilePath = "/a/results.txt";
  settings.m_strTestSuitesFolder = "/a/suites";
  settings.m_strFileViewerPath = "viewer";
  settings.m_nLoggingLevel = 3;
  settings.m_nDontShowStartupBox = 1;
  settings.m_strJUnitReportPath = "/a/junit.xml";
  ASSERT_TRUE(SaveSettings(settings, store, kRoot, Context()));
  CHarnessSettings loaded;
  loaded.SetDefaults();
  ASSERT_TRUE(LoadSettings(loaded, store, kRoot, Context()));
  EXPECT_EQ(loaded.m_strLogFilePath, settings.m_strLogFilePath);
  EXPECT_EQ(loaded.m_strResultsFilePath, settings.m_strResultsFilePath);
  EXPECT_EQ(loaded.m_strTestSuitesFolder, settings.m_strTestSuitesFolder);
  EXPECT_EQ(loaded.m_nLoggingLevel, 3u);
  EXPECT_EQ(loaded.m_nLogDateTime, settings.m_nLogDateTime);
  EXPECT_EQ(loaded.m_nDontShowStartupBox, 1u);
  EXPECT_EQ(loaded.m_strJUnitReportPath, "/a/junit.xml");
  EXPECT_EQ(loaded.m_strJsonReportPath, ""); // empty: no report
}

} // namespace
} // namespace harness::test
