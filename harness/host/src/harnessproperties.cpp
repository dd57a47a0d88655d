// The harness properties sheet's rules.
#include "harness/harnessproperties.h"

#include "harness/logfile.h"
#include "harness/runstate.h"
#include "harness/stringids.h"

#include <strings.h>

namespace harness {

namespace {

constexpr unsigned kHighestLevel = 3;

std::string Cut(const std::string& text)
{
  return text.substr(0, kPropertiesTextMax);
}

int RadioIndex(bool second)
{
  return second ? 1 : 0;
}

} // namespace

const std::vector<ReportSetting>& ReportSettings()
{
  static const std::vector<ReportSetting> settings = {
      {1055, "ReportFirmwareVersion", &CHarnessSettings::m_nReportFirmwareVersion},
      {1052, "ReportManufacturer", &CHarnessSettings::m_nReportManufacturer},
      {1053, "ReportModel", &CHarnessSettings::m_nReportModel},
      {1051, "ReportOem", &CHarnessSettings::m_nReportOem},
      {1054, "ReportSerialNumber", &CHarnessSettings::m_nReportSerialNumber},
      {1056, "ReportTestCaseElapsedTime", &CHarnessSettings::m_nReportTestCaseElapsedTime},
      {1057, "ReportTestSuiteElapsedTime", &CHarnessSettings::m_nReportTestSuiteElapsedTime},
      {1058, "ReportTsFileName", &CHarnessSettings::m_nReportTsFileName},
      {1059, "ReportDriverVersion", &CHarnessSettings::m_nReportDriverVersion},
  };
  return settings;
}

std::vector<std::string> LoggingLevelChoices(const StringTable& strings)
{
  std::vector<std::string> choices;
  for (unsigned level = 0; level <= kHighestLevel; ++level)
    choices.push_back(LoggingLevelText(strings, level));
  return choices;
}

unsigned LoggingLevelFromText(const StringTable& strings, const std::string& text)
{
  const std::vector<std::string> choices = LoggingLevelChoices(strings);
  for (unsigned level = 0; level < choices.size(); ++level)
    if (strcasecmp(choices[level].c_str(), text.c_str()) == 0)
      return level;
  return 0;
}

HarnessProperties FillHarnessProperties(HarnessPropertiesContext& context)
{
  const CHarnessSettings& settings = context.settings;
  HarnessProperties values;
  values.resultsFilePath = settings.m_strResultsFilePath;
  values.testSuitesFolder = settings.m_strTestSuitesFolder;
  values.note = context.note;
  values.appendToResultsFile = RadioIndex(settings.m_nAppendToResultsFile != 0);
  values.ntLoggingEnable = settings.m_nNtLoggingEnable != 0;

  values.logFilePath = settings.m_strLogFilePath;
  if (context.loggingLevel > kHighestLevel)
    context.loggingLevel = 0;
  values.loggingLevelText = LoggingLevelText(context.strings, context.loggingLevel);
  values.logDestination = settings.m_nLogDestination >= 0 && settings.m_nLogDestination <= 2
                              ? settings.m_nLogDestination
                              : 0;
  values.appendToLogFile = RadioIndex(settings.m_nAppendToLogFile != 0);
  values.logDateTime = RadioIndex(settings.m_nLogDateTime == 1);
  values.suspectFiles =
      ReadSuspectFilesAre(context.store, context.rootKey, context.strings, context.prompts);

  for (const ReportSetting& report : ReportSettings())
    values.report.push_back(settings.*report.member != 0);
  return values;
}

void StoreHarnessProperties(const HarnessProperties& values, HarnessPropertiesContext& context)
{
  CHarnessSettings& settings = context.settings;
  settings.m_strResultsFilePath = Cut(values.resultsFilePath);
  settings.m_strTestSuitesFolder = Cut(values.testSuitesFolder);
  context.note = values.note;
  settings.m_nAppendToResultsFile = values.appendToResultsFile != 0 ? 1 : 0;
  settings.m_nNtLoggingEnable = values.ntLoggingEnable ? 1 : 0;

  settings.m_strLogFilePath = values.logFilePath;
  settings.m_nLogDestination = values.logDestination;
  settings.m_nAppendToLogFile = values.appendToLogFile != 0 ? 1 : 0;
  settings.m_nLogDateTime = values.logDateTime != 0 ? 1 : 0;
  context.loggingLevel = LoggingLevelFromText(context.strings, values.loggingLevelText);
  WriteSuspectFilesAre(context.store, context.rootKey, values.suspectFiles, context.strings,
                       context.prompts);

  const std::vector<ReportSetting>& reports = ReportSettings();
  for (std::size_t i = 0; i < reports.size() && i < values.report.size(); ++i)
    settings.*reports[i].member = values.report[i] ? 1 : 0;
}

std::string DefaultResultsFilePath(const CHarnessSettings& settings)
{
  return JoinPath(settings.m_strDefaultLoggingFolder, kDefaultResultsFileName);
}

std::string DefaultLogFilePath(const CHarnessSettings& settings)
{
  return JoinPath(settings.m_strDefaultLoggingFolder, kDefaultLogFileName);
}

bool ReadSuspectFilesAre(SettingsStore& store, const std::string& rootKey,
                         const StringTable& strings, UserPrompts& prompts)
{
  if (store.Open(rootKey) != 0) {
    prompts.Show(kRootKeyOpenFailedBox, BoxIcon::Information);
    return false;
  }
  std::string text;
  const long result = store.ReadString(kSuspectFilesAreValue, text);
  store.Close();
  if (result != 0) {
    prompts.Show(kSuspectReadFailedBox, BoxIcon::Information);
    return false;
  }
  return text != strings.Get(ids::kSuspectFilesUnchecked);
}

bool WriteSuspectFilesAre(SettingsStore& store, const std::string& rootKey, bool checked,
                          const StringTable& strings, UserPrompts& prompts)
{
  const std::string text =
      strings.Get(checked ? ids::kSuspectFilesChecked : ids::kSuspectFilesUnchecked);
  if (store.Open(rootKey) != 0) {
    prompts.Show(kRootKeyOpenFailedBox, BoxIcon::Information);
    return false;
  }
  const long result = store.WriteString(kSuspectFilesAreValue, text);
  store.Close();
  if (result != 0) {
    prompts.Show(kSuspectWriteFailedBox, BoxIcon::Information);
    return false;
  }
  return true;
}

} // namespace harness
