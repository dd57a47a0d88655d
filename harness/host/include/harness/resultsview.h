// The results window's logic without the window: every result, conditions and NTLog line of
// the test cases and the harness's reports go through here to the results file (or NTLog's
// log at the same path) and the window. NTLog is bound by name when this object is made and
// is silently not used when the module or one of its 19 entry points is missing.
// User-interface thread only: NTLog's participant is this thread.
#pragma once

#include "harness/fileexception.h"
#include "harness/logwriter.h"
#include "harness/prompts.h"
#include "harness/runbookkeeping.h"
#include "harness/runstate.h"
#include "harness/settings.h"
#include "harness/stringtable.h"
#include "ntlog/ntlog_binding.h"

#include <cstdint>
#include <functional>
#include <string>

class CComponent;
class CTestCase;

namespace harness {

class CRunRecord;

// Flag bits of an NTLog entry as the harness reads them.
inline constexpr std::uint32_t kNtEntryStartVariation = 0x10;
inline constexpr std::uint32_t kNtEntryEndVariation = 0x20;
inline constexpr std::uint32_t kNtEntryInformation = 0x40; // what Marlow sends
inline constexpr std::uint32_t kNtEntryPass = 0x80;
inline constexpr std::uint32_t kNtEntryFail = 0x100;
inline constexpr std::uint32_t kNtEntryWarning = 0x200;

// Creation flags of the harness's NTLog log: every level, and a new file when results are not
// appended.
inline constexpr std::uint32_t kNtLogAppendFlags = 0x20FFFF;
inline constexpr std::uint32_t kNtLogNewFileFlags = 0x21FFFF;

// The NTLog kind of an entry: pass, severity-1 failure, warning or information.
std::uint32_t NtLogKindOf(std::uint32_t flags);

// Whole hours, minutes (0-59) and seconds (0-59) through the elapsed-time text.
std::string ElapsedText(const StringTable& strings, RunClock::duration elapsed);

// The report's text for a test case's status, and the NTLog entry flag of its verdict.
std::string StatusText(const StringTable& strings, std::uint32_t status);
std::uint32_t VerdictFlag(std::uint32_t status);

class CResultsView
{
public:
  // `ntLogModule` "" binds the module NTLog programs bind (ntlog::NtLogModuleName).
  CResultsView(CHarnessSettings& settings, CRunBookkeeping& run, const StringTable& strings,
               UserPrompts& prompts, const std::string& ntLogModule = "");
  ~CResultsView();
  CResultsView(const CResultsView&) = delete;
  CResultsView& operator=(const CResultsView&) = delete;

  void SetWindow(LogWindowText* window) { m_pWindow = window; }
  void SetLog(LogFunction log) { m_log = std::move(log); }
  void SetSaveSettings(std::function<void()> save) { m_saveSettings = std::move(save); }
  // A file failure as a line of the log window.
  void
  SetFileExceptionReport(std::function<void(FileExceptionCause, const std::string&, int)> report)
  {
    m_reportFileException = std::move(report);
  }
  // The loaded component of a class name, or null.
  void SetComponentFinder(std::function<CComponent*(const std::string&)> find)
  {
    m_findComponent = std::move(find);
  }
  void SetRecord(CRunRecord* record) { m_pRecord = record; }
  void SetClock(std::function<RunClock::time_point()> clock) { m_clock = std::move(clock); }
  void SetDateTimeText(std::function<std::string(RunClock::time_point)> text)
  {
    m_dateTimeText = std::move(text);
  }

  // The moment the reports take as now.
  RunClock::time_point Now() const { return m_clock(); }

  bool IsNtLogAvailable() const { return m_ntlog.Bound(); }
  // Available and NtLoggingEnable set: results go to NTLog's log instead of the harness's file.
  bool UsesNtLog() const;
  HLOG NtLog() const { return m_hLog; }
  bool InVariation() const { return m_bInVariation; }
  const ntlog::NtLogBinding& NtLogBinding() const { return m_ntlog; }

  // The one route of every result line: NTLog and the window, or the file and the window.
  void AddResultLine(const std::string& text);
  // The window only, bounded like the log window.
  void AppendResultLine(const std::string& text);
  // Appends the line and CR LF to the results file; a failure switches to the default file.
  void WriteResultsFileLine(const std::string& text);
  // A results or conditions text of a test case: one line of at most 500 characters.
  void OnResultText(const std::string& text);
  // An NTLog entry of a test case, or a line the harness routes through NTLog.
  void LogNtEntry(std::uint32_t flags, const std::string& sourceFile, int line,
                  const std::string& text);
  // The log at the results file path, else at the default results file (after a box, and the
  // settings then name that file); null when neither can be made.
  HLOG CreateNtLog();
  // NTLog's log closed, the results file deleted (a failed delete is logged), the window empty.
  // 0 or the errno value of the failed delete.
  int ClearResults();
  void ClearWindow();
  void ReportStats();
  // The NTLog options dialog for the log (made when there is none).
  void ShowLogOptions();

  // Run hooks: the NTLog participant joins at the start and leaves at the end.
  void BeginRun();
  void EndRun();

  // Reports.
  void ReportSuiteStart(const std::string& suiteName);
  // False when the test case's component is not loaded (said in the log and the results).
  bool ReportTestStart(const CTestCase& testCase, int iteration);
  void ReportTestEnd(const CTestCase& testCase);
  // `state` is the run state the walk ended in.
  void ReportSuiteEnd(const std::string& suiteName, const std::string& filePath, RunState state);

private:
  void Log(unsigned level, const std::string& text) const;
  std::string DateTime(RunClock::time_point moment) const { return m_dateTimeText(moment); }
  void LogToNtLog(std::uint32_t level, const std::string& sourceFile, int line,
                  const std::string& text);

  CHarnessSettings& m_settings;
  CRunBookkeeping& m_run;
  const StringTable& m_strings;
  UserPrompts& m_prompts;
  ntlog::NtLogBinding m_ntlog;
  HLOG m_hLog = nullptr;
  bool m_bInVariation = false;
  LogWindowText* m_pWindow = nullptr;
  LogFunction m_log;
  std::function<void()> m_saveSettings;
  std::function<void(FileExceptionCause, const std::string&, int)> m_reportFileException;
  std::function<CComponent*(const std::string&)> m_findComponent;
  CRunRecord* m_pRecord = nullptr;
  std::function<RunClock::time_point()> m_clock;
  std::function<std::string(RunClock::time_point)> m_dateTimeText;
  // Set while the harness writes its own report lines, which are no test case's output.
  bool m_bReporting = false;
  bool m_bHandlingFileError = false;
};

} // namespace harness
