// Settings defaults, load order and save order.
#include "harness/settings.h"

#include "harness/logfile.h"
#include "harness/stringids.h"

#include <utility>
#include <vector>

namespace harness {

void CHarnessSettings::SetDefaults()
{
  m_nLoggingLevel = 1;
  m_nReportFirmwareVersion = m_nReportManufacturer = m_nReportModel = m_nReportOem = 1;
  m_nReportDriverVersion = m_nReportSerialNumber = m_nReportTestCaseElapsedTime = 1;
  m_nReportTestSuiteElapsedTime = m_nReportTsFileName = 1;
  m_nAppendToLogFile = 1;
  m_nMaximizeDocument = 1;
  m_nAppendToResultsFile = 1;
  m_nLogDateTime = 0;
  m_nLogDestination = 0;
}

namespace {

using DwordSetting = std::pair<const char*, std::uint32_t CHarnessSettings::*>;

// Load order of the double-word values after LogFilePath.
const std::vector<DwordSetting>& LoadedDwords()
{
  static const std::vector<DwordSetting> list = {
      {"LoggingLevel", &CHarnessSettings::m_nLoggingLevel},
      {"AppendToLogFile", &CHarnessSettings::m_nAppendToLogFile},
      {"MaximizeDocument", &CHarnessSettings::m_nMaximizeDocument},
      {"AppendToResultsFile", &CHarnessSettings::m_nAppendToResultsFile},
      {"NtLoggingEnable", &CHarnessSettings::m_nNtLoggingEnable},
      {"LogDateTime", &CHarnessSettings::m_nLogDateTime},
      {"ReportFirmwareVersion", &CHarnessSettings::m_nReportFirmwareVersion},
      {"ReportManufacturer", &CHarnessSettings::m_nReportManufacturer},
      {"ReportModel", &CHarnessSettings::m_nReportModel},
      {"ReportOem", &CHarnessSettings::m_nReportOem},
      {"ReportDriverVersion", &CHarnessSettings::m_nReportDriverVersion},
      {"ReportSerialNumber", &CHarnessSettings::m_nReportSerialNumber},
      {"ReportTestCaseElapsedTime", &CHarnessSettings::m_nReportTestCaseElapsedTime},
      {"ReportTestSuiteElapsedTime", &CHarnessSettings::m_nReportTestSuiteElapsedTime},
      {"ReportTsFileName", &CHarnessSettings::m_nReportTsFileName},
      {"DontShowStartupBox", &CHarnessSettings::m_nDontShowStartupBox},
  };
  return list;
}

std::uint32_t DefaultDword(const char* name)
{
  return std::string(name) == "DontShowStartupBox" ? 0 : 1;
}

void ReadFilePath(SettingsStore& store, const char* name, const char* defaultName, std::string& out,
                  const CHarnessSettings& settings, const SettingsContext& context)
{
  if (store.ReadString(name, out) == 0)
    return;
  context.prompts.Show(context.strings.Format(ids::kSettingMissingFile, {name, defaultName}),
                       BoxIcon::Warning);
  out = JoinPath(settings.m_strDefaultLoggingFolder, defaultName);
}

} // namespace

std::string DefaultIniFilesFolder(const std::string& installationFolder)
{
  return JoinPath(installationFolder, "test/bin/");
}

bool ReadIniFilesFolder(SettingsStore& store, const std::string& rootKey, std::string& folder)
{
  if (store.Open(rootKey) != 0)
    return false;
  std::string installationFolder;
  const bool read = store.ReadString("InstallationFolder", installationFolder) == 0;
  if (read && store.ReadString("INIFilesFolder", folder) != 0)
    folder = DefaultIniFilesFolder(installationFolder);
  store.Close();
  return read;
}

bool LoadSettings(CHarnessSettings& settings, SettingsStore& store, const std::string& rootKey,
                  const SettingsContext& context)
{
  const std::string keyPath = "HKEY_LOCAL_MACHINE\\" + rootKey;
  long error = store.Open(rootKey);
  if (error != 0) {
    context.prompts.Show(
        context.strings.Format(ids::kRegistryKeyFailed, {keyPath, std::to_string(error)}),
        BoxIcon::Error);
    return false;
  }
  error = store.ReadString("InstallationFolder", settings.m_strInstallationFolder);
  if (error != 0) {
    context.prompts.Show(context.strings.Format(ids::kRegistryValueFailed,
                                                {"InstallationFolder", std::to_string(error)}),
                         BoxIcon::Error);
    store.Close();
    return false;
  }
  if (store.ReadString("INIFilesFolder", settings.m_strIniFilesFolder) != 0)
    settings.m_strIniFilesFolder = DefaultIniFilesFolder(settings.m_strInstallationFolder);
  if (store.ReadString("DefaultLoggingFolder", settings.m_strDefaultLoggingFolder) != 0)
    settings.m_strDefaultLoggingFolder.clear();
  ReadFilePath(store, "LogFilePath", kDefaultLogFileName, settings.m_strLogFilePath, settings,
               context);
  for (const auto& [name, member] : LoadedDwords()) {
    std::uint32_t value = 0;
    settings.*member = store.ReadDword(name, value) == 0 ? value : DefaultDword(name);
  }
  ReadFilePath(store, "ResultsFilePath", kDefaultResultsFileName, settings.m_strResultsFilePath,
               settings, context);
  if (store.ReadString("TestSuitesFolder", settings.m_strTestSuitesFolder) != 0)
    settings.m_strTestSuitesFolder = JoinPath(
        JoinPath(settings.m_strInstallationFolder, context.strings.Get(ids::kSuitesSubFolder)),
        context.strings.Get(ids::kSuitesFolder));
  if (store.ReadString("FileViewerPath", settings.m_strFileViewerPath) != 0)
    settings.m_strFileViewerPath = context.strings.Get(ids::kDefaultViewer);
  if (store.ReadString("JUnitReportPath", settings.m_strJUnitReportPath) != 0)
    settings.m_strJUnitReportPath.clear();
  if (store.ReadString("JsonReportPath", settings.m_strJsonReportPath) != 0)
    settings.m_strJsonReportPath.clear();
  store.Close();
  return true;
}

bool SaveSettings(const CHarnessSettings& settings, SettingsStore& store,
                  const std::string& rootKey, const SettingsContext& context)
{
  long error = store.Open(rootKey);
  if (error != 0) {
    context.prompts.Show(
        context.strings.Format(ids::kRegistryKeyFailed,
                               {"HKEY_LOCAL_MACHINE\\" + rootKey, std::to_string(error)}),
        BoxIcon::Error);
    return false;
  }
  auto report = [&](const char* name, long result) {
    if (result != 0 && context.log)
      context.log(0,
                  context.strings.Format(ids::kSettingSaveFailed, {name, std::to_string(result)}));
  };
  const std::pair<const char*, const std::string*> strings[] = {
      {"LogFilePath", &settings.m_strLogFilePath},
      {"ResultsFilePath", &settings.m_strResultsFilePath},
      {"TestSuitesFolder", &settings.m_strTestSuitesFolder},
      {"FileViewerPath", &settings.m_strFileViewerPath},
  };
  for (const auto& [name, value] : strings)
    report(name, store.WriteString(name, *value));
  for (const auto& [name, member] : LoadedDwords())
    report(name, store.WriteDword(name, settings.*member));
  // The report paths came after the others; they are written after them.
  report("JUnitReportPath", store.WriteString("JUnitReportPath", settings.m_strJUnitReportPath));
  report("JsonReportPath", store.WriteString("JsonReportPath", settings.m_strJsonReportPath));
  store.Close();
  if (context.log)
    context.log(2, context.strings.Get(ids::kSettingsSaved));
  return true;
}

} // namespace harness
