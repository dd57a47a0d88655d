// The results route, NTLog, and the start and end reports.
#include "harness/resultsview.h"

#include "harness/logfile.h"
#include "harness/resultline.h"
#include "harness/runrecord.h"
#include "harness/stateicons.h"
#include "harness/stringids.h"
#include "plinth/component.h"

#include <cstdio>

namespace harness {

namespace {

constexpr const char* kOwnSource = "ResultVw";
constexpr int kRoutedLine = 257;
constexpr int kVerdictLine = 455;
constexpr int kEndOfVariationLine = 705;
constexpr std::uint32_t kTestScope = 0x100;
constexpr std::uint32_t kVariationScope = 0x200;

// Restores a flag when the scope ends.
class FlagScope
{
public:
  explicit FlagScope(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
  ~FlagScope() { m_flag = m_old; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

private:
  bool& m_flag;
  bool m_old;
};

} // namespace

std::uint32_t NtLogKindOf(std::uint32_t flags)
{
  if ((flags & kNtEntryPass) != 0)
    return TL_PASS;
  if ((flags & kNtEntryFail) != 0)
    return TL_SEV1;
  if ((flags & kNtEntryWarning) != 0)
    return TL_WARN;
  return TL_INFO;
}

std::string ElapsedText(const StringTable& strings, RunClock::duration elapsed)
{
  long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  if (seconds < 0)
    seconds = 0;
  char minutes[8];
  char rest[8];
  std::snprintf(minutes, sizeof minutes, "%02lld", (seconds / 60) % 60);
  std::snprintf(rest, sizeof rest, "%02lld", seconds % 60);
  return strings.Format(ids::kElapsed, {std::to_string(seconds / 3600), minutes, rest});
}

std::string StatusText(const StringTable& strings, std::uint32_t status)
{
  switch (status) {
  case kStatusFailed:
    return RunStateText(strings, RunState::Failed);
  case kStatusPassed:
    return RunStateText(strings, RunState::Passed);
  case kTestStatusNotRun:
    return RunStateText(strings, RunState::Stopped);
  default:
    return strings.Get(ids::kTestStatusOther);
  }
}

std::uint32_t VerdictFlag(std::uint32_t status)
{
  switch (status) {
  case kStatusFailed:
    return kNtEntryFail;
  case kStatusPassed:
    return kNtEntryPass;
  default:
    return kNtEntryWarning;
  }
}

CResultsView::CResultsView(CHarnessSettings& settings, CRunBookkeeping& run,
                           const StringTable& strings, UserPrompts& prompts,
                           const std::string& ntLogModule)
    : m_settings(settings), m_run(run), m_strings(strings), m_prompts(prompts),
      m_ntlog(ntLogModule.empty() ? ntlog::NtLogModuleName() : ntLogModule),
      m_clock([] { return RunClock::now(); }), m_dateTimeText([](RunClock::time_point moment) {
        return LocaleDateTimeText(RunClock::to_time_t(moment));
      })
{
  // Missing NTLog is not worth a word: every line then takes the file route.
  m_ntlog.Bind();
}

CResultsView::~CResultsView()
{
  if (m_hLog != nullptr)
    m_ntlog.Api().tlDestroyLog(m_hLog);
}

void CResultsView::Log(unsigned level, const std::string& text) const
{
  if (m_log)
    m_log(level, text);
}

bool CResultsView::UsesNtLog() const
{
  return m_ntlog.Bound() && m_settings.m_nNtLoggingEnable != 0;
}

void CResultsView::AddResultLine(const std::string& text)
{
  if (UsesNtLog()) {
    LogNtEntry(kNtEntryInformation, kOwnSource, kRoutedLine, text);
    return;
  }
  WriteResultsFileLine(text);
  AppendResultLine(text);
}

void CResultsView::AppendResultLine(const std::string& text)
{
  if (m_pRecord != nullptr && !m_bReporting)
    m_pRecord->AddOutput(text);
  if (m_pWindow != nullptr)
    AppendBoundedLine(*m_pWindow, text);
}

void CResultsView::WriteResultsFileLine(const std::string& text)
{
  const std::string path = m_settings.m_strResultsFilePath;
  const int error = AppendLineToFile(path, text);
  if (error == 0)
    return;
  if (m_reportFileException)
    m_reportFileException(FileCauseFromErrno(error), path, error);
  // Lines written while the failure is handled must not start the same handling again.
  if (m_bHandlingFileError)
    return;
  FlagScope handling(m_bHandlingFileError);
  m_prompts.Show(m_strings.Format(ids::kResultsWriteFailed, {path}), BoxIcon::Information);
  m_settings.m_strResultsFilePath =
      JoinPath(m_settings.m_strDefaultLoggingFolder, kDefaultResultsFileName);
  if (m_saveSettings)
    m_saveSettings();
}

void CResultsView::OnResultText(const std::string& text)
{
  AddResultLine(FormatResultLine(m_strings, text));
}

void CResultsView::LogToNtLog(std::uint32_t level, const std::string& sourceFile, int line,
                              const std::string& text)
{
  // Logged verbatim: the text is an argument, never a format.
  m_ntlog.Api().tlLog_A(m_hLog, level, sourceFile.c_str(), line, "%s", text.c_str());
}

void CResultsView::LogNtEntry(std::uint32_t flags, const std::string& sourceFile, int line,
                              const std::string& text)
{
  const std::string formatted = FormatResultLine(m_strings, text);
  if (!UsesNtLog()) {
    AddResultLine(formatted);
    return;
  }
  if (m_hLog == nullptr)
    CreateNtLog();
  const NtLogApi& nt = m_ntlog.Api();
  std::uint32_t level = NtLogKindOf(flags);
  nt.tlAddParticipant(m_hLog, 0, 0);
  if ((flags & kNtEntryStartVariation) != 0) {
    m_bInVariation = true;
    nt.tlStartVariation(m_hLog);
  }
  level |= m_bInVariation ? kVariationScope : kTestScope;
  LogToNtLog(level, sourceFile, line, formatted);
  AppendResultLine(formatted);
  if ((flags & kNtEntryEndVariation) != 0) {
    m_bInVariation = false;
    const std::uint32_t result = nt.tlEndVariation(m_hLog);
    LogToNtLog(result | kVariationScope, kOwnSource, kEndOfVariationLine,
               m_strings.Format(ids::kEndOfVariation, {sourceFile, std::to_string(line)}));
  }
}

HLOG CResultsView::CreateNtLog()
{
  if (!m_ntlog.Bound())
    return nullptr;
  const NtLogApi& nt = m_ntlog.Api();
  const std::uint32_t flags =
      m_settings.m_nAppendToResultsFile != 0 ? kNtLogAppendFlags : kNtLogNewFileFlags;
  HLOG log = nt.tlCreateLog_A(m_settings.m_strResultsFilePath.c_str(), flags);
  if (log == nullptr) {
    const std::string fallback =
        JoinPath(m_settings.m_strDefaultLoggingFolder, kDefaultResultsFileName);
    log = nt.tlCreateLog_A(fallback.c_str(), flags);
    if (log == nullptr)
      return nullptr;
    m_prompts.Show(m_strings.Format(ids::kResultsWriteFailed, {m_settings.m_strResultsFilePath}),
                   BoxIcon::Information);
    m_settings.m_strResultsFilePath = fallback;
    if (m_saveSettings)
      m_saveSettings();
  }
  m_hLog = log;
  nt.tlAddParticipant(m_hLog, 0, 0);
  return m_hLog;
}

int CResultsView::ClearResults()
{
  if (UsesNtLog() && m_hLog != nullptr) {
    m_ntlog.Api().tlDestroyLog(m_hLog);
    m_hLog = nullptr;
    m_bInVariation = false;
  }
  const int error = DeleteFileIfPresent(m_settings.m_strResultsFilePath);
  if (error != 0)
    Log(0, m_strings.Format(ids::kResultsDeleteFailed, {std::to_string(error)}));
  ClearWindow();
  return error;
}

void CResultsView::ClearWindow()
{
  if (m_pWindow != nullptr)
    m_pWindow->ClearText();
}

void CResultsView::ReportStats()
{
  if (UsesNtLog() && m_hLog != nullptr)
    m_ntlog.Api().tlReportStats(m_hLog);
}

void CResultsView::ShowLogOptions()
{
  if (!m_ntlog.Bound())
    return;
  if (m_hLog == nullptr)
    CreateNtLog();
  m_ntlog.Api().tlPromptLog(nullptr, m_hLog);
}

void CResultsView::BeginRun()
{
  if (!UsesNtLog())
    return;
  if (m_hLog == nullptr)
    CreateNtLog();
  m_ntlog.Api().tlAddParticipant(m_hLog, 0, 0);
}

void CResultsView::EndRun()
{
  if (UsesNtLog())
    m_ntlog.Api().tlRemoveParticipant(m_hLog);
}

void CResultsView::ReportSuiteStart(const std::string& suiteName)
{
  FlagScope reporting(m_bReporting);
  if (m_pRecord != nullptr)
    m_pRecord->BeginSuite(suiteName);
  AddResultLine("");
  AddResultLine(m_strings.Format(ids::kSuiteStartReport, {suiteName}));
}

bool CResultsView::ReportTestStart(const CTestCase& testCase, int iteration)
{
  FlagScope reporting(m_bReporting);
  const std::string className = testCase.GetClassName();
  CComponent* component = m_findComponent ? m_findComponent(className) : nullptr;
  if (component == nullptr) {
    const std::string text = m_strings.Format(ids::kComponentNotFound, {className});
    Log(0, text);
    AddResultLine("");
    AddResultLine(text);
    if (m_pRecord != nullptr)
      m_pRecord->BeginExecution(testCase, iteration, FactsOf(nullptr, className), Now());
    return false;
  }
  m_run.m_timeTestStart = Now();
  if (m_pRecord != nullptr)
    m_pRecord->BeginExecution(testCase, iteration, FactsOf(component, className),
                              m_run.m_timeTestStart);
  AddResultLine(" ");
  AddResultLine(m_strings.Format(ids::kTestLabel, {testCase.GetLabel()}));
  AddResultLine(m_strings.Format(ids::kTestBaseName, {testCase.GetBaseName()}));
  AddResultLine(m_strings.Format(ids::kTestComponent, {className}));
  const struct
  {
    std::uint32_t setting;
    int text;
    std::string value;
  } facts[] = {
      {m_settings.m_nReportOem, ids::kTestOem, component->GetOEMName()},
      {m_settings.m_nReportManufacturer, ids::kTestManufacturer, component->GetManufacturer()},
      {m_settings.m_nReportModel, ids::kTestModel, component->GetModelName()},
      {m_settings.m_nReportSerialNumber, ids::kTestSerialNumber, component->GetSerialNum()},
      {m_settings.m_nReportDriverVersion, ids::kTestDriverVersion, component->GetDriverVersion()},
      {m_settings.m_nReportFirmwareVersion, ids::kTestFirmwareVersion,
       component->GetFirmwareVersion()},
  };
  for (const auto& fact : facts)
    if (fact.setting == 1)
      AddResultLine(m_strings.Format(fact.text, {fact.value}));
  AddResultLine(m_strings.Format(ids::kTestStarted, {DateTime(m_run.m_timeTestStart)}));
  AddResultLine(m_strings.Format(ids::kTestIteration, {std::to_string(iteration)}));
  AddResultLine("");
  return true;
}

void CResultsView::ReportTestEnd(const CTestCase& testCase)
{
  FlagScope reporting(m_bReporting);
  m_run.m_timeTestEnd = Now();
  const std::uint32_t status = testCase.GetStatus();
  const std::string statusText = StatusText(m_strings, status);
  if (m_pRecord != nullptr)
    m_pRecord->EndExecution(testCase, status, statusText, m_run.m_nCurrentRun, m_run.m_nTotalRuns,
                            m_run.m_timeTestEnd);
  AddResultLine("");
  AddResultLine(m_strings.Format(ids::kTestEnded, {testCase.GetLabel()}));
  AddResultLine(m_strings.Format(ids::kTestResult, {statusText}));
  AddResultLine(m_strings.Format(ids::kTestEndTime, {DateTime(m_run.m_timeTestEnd)}));
  if (m_settings.m_nReportTestCaseElapsedTime == 1)
    AddResultLine(m_strings.Format(
        ids::kTestElapsed, {ElapsedText(m_strings, m_run.m_timeTestEnd - m_run.m_timeTestStart)}));
  if (UsesNtLog())
    LogNtEntry(VerdictFlag(status), kOwnSource, kVerdictLine,
               m_strings.Format(ids::kTestBaseName, {testCase.GetBaseName()}));
  AddResultLine(m_strings.Get(ids::kTestReportEnd));
}

void CResultsView::ReportSuiteEnd(const std::string& suiteName, const std::string& filePath,
                                  RunState state)
{
  FlagScope reporting(m_bReporting);
  AddResultLine("");
  AddResultLine(m_strings.Format(ids::kSuiteEndReport, {suiteName}));
  const int stateValue = static_cast<int>(state);
  const std::string stateText = stateValue >= static_cast<int>(RunState::Idle) &&
                                        stateValue <= static_cast<int>(RunState::Stopped)
                                    ? RunStateText(m_strings, state)
                                    : std::string();
  AddResultLine(m_strings.Format(ids::kSuiteFinalState, {stateText}));
  if (m_settings.m_nReportTsFileName == 1)
    AddResultLine(m_strings.Format(ids::kSuiteFile, {filePath}));
  AddResultLine(m_strings.Format(ids::kSuiteStarted, {DateTime(m_run.m_timeSuiteStart)}));
  m_run.m_timeSuiteEnd = Now();
  AddResultLine(m_strings.Format(ids::kSuiteEnded, {DateTime(m_run.m_timeSuiteEnd)}));
  if (m_settings.m_nReportTestSuiteElapsedTime == 1)
    AddResultLine(
        m_strings.Format(ids::kSuiteElapsed,
                         {ElapsedText(m_strings, m_run.m_timeSuiteEnd - m_run.m_timeSuiteStart)}));
  AddResultLine(m_strings.Format(ids::kSuiteTotal, {std::to_string(m_run.m_nTotalRuns)}));
  AddResultLine(m_strings.Format(ids::kSuitePassed, {std::to_string(m_run.m_nPassedRuns)}));
  AddResultLine(m_strings.Format(ids::kSuiteFailed, {std::to_string(m_run.m_nFailedRuns)}));
  ReportStats();
  AddResultLine(m_strings.Get(ids::kSuiteReportEnd));
  if (m_pRecord != nullptr)
    m_pRecord->EndSuite(filePath, state, stateText, m_run);
}

} // namespace harness
