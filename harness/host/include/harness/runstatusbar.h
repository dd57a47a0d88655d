// The status panel's operations as the run and the commands use them: each shows a value and
// keeps it where the harness reads it (run state, counters). The window only draws the texts.
// User-interface thread only.
#pragma once

#include "harness/runbookkeeping.h"
#include "harness/runstate.h"
#include "harness/settings.h"
#include "harness/stringtable.h"

#include <atomic>
#include <functional>
#include <string>

namespace harness {

// The panel's fields, by their control numbers.
inline constexpr int kStatusTestCaseField = 1021;
inline constexpr int kStatusFailuresField = 1023;
inline constexpr int kStatusProgressField = 1024;
inline constexpr int kStatusLoggingLevelField = 1026;
inline constexpr int kStatusRunStateField = 1030;

// Where the texts are drawn.
class StatusFields
{
public:
  virtual ~StatusFields() = default;
  virtual void SetFieldText(int field, const std::string& text) = 0;
};

class CRunStatusBar
{
public:
  CRunStatusBar(std::atomic<RunState>& runState, CRunBookkeeping& run, const StringTable& strings);

  void SetFields(StatusFields* fields) { m_pFields = fields; }
  // Log lines for the states that are logged.
  void SetLog(LogFunction log) { m_log = std::move(log); }
  // Told after every change of the run state.
  void SetStateListener(std::function<void(RunState)> listener)
  {
    m_listener = std::move(listener);
  }

  void ShowTestCaseLabel(const std::string& label);
  // Stores the state; running, stop requested and stopped also go to the log at level 3.
  void SetRunState(RunState state);
  // Stores both numbers as the current execution and the total.
  void ShowProgress(int current, int total);
  // One more failed execution.
  void CountFailure();
  void ShowFailureCount(int count);
  void ShowLoggingLevel(unsigned level);
  // No test case, idle, the logging level, progress 0 of 0, no failures.
  void Reset(unsigned loggingLevel);

  const std::string& FieldText(int field) const;

private:
  void Show(int field, const std::string& text);

  std::atomic<RunState>& m_runState;
  CRunBookkeeping& m_run;
  const StringTable& m_strings;
  StatusFields* m_pFields = nullptr;
  LogFunction m_log;
  std::function<void(RunState)> m_listener;
  std::string m_texts[5];
};

} // namespace harness
