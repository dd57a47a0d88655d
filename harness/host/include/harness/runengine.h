// The run routine: the walk over a suite's items and their iterations, the counters, the
// verdicts, pause, resume and stop, and the two passes of a suite with DOS test cases. It runs
// on a worker thread (or on the user-interface thread itself) and reaches every window, the
// status panel and the results only through calls handed to the user-interface thread, each
// of which it waits for.
#pragma once

#include "harness/dosrestart.h"
#include "harness/resultsview.h"
#include "harness/runbookkeeping.h"
#include "harness/runstate.h"
#include "harness/runstatusbar.h"
#include "harness/runsurface.h"
#include "harness/settings.h"
#include "harness/stringtable.h"
#include "harness/uicalls.h"
#include "platform/modules.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace harness {

// Between two test cases of a plain run.
inline constexpr std::chrono::milliseconds kPauseBetweenTestCases{1000};
// How often a paused run looks at the run state again.
inline constexpr std::chrono::milliseconds kPausePoll{1000};

// What a run works with. Everything but `log`, `ui`, `dosRestart` and `runState` is touched on
// the user-interface thread only.
struct RunContext
{
  CUiCalls& ui;
  RunSurface& surface;
  CRunStatusBar& status;
  CResultsView& results;
  CRunBookkeeping& run;
  std::atomic<RunState>& runState;
  const CHarnessSettings& settings;
  const StringTable& strings;
  DosRestart& dosRestart;
  // Any thread.
  LogFunction log;
  // Empties the log window and file.
  std::function<void()> clearLog;
  // Marlow's module now, or null.
  std::function<platform::HMODULE()> marlow;
  // The test-execution status in memory, and storing a new one in the registry as well.
  std::function<std::string()> testExecutionStatus;
  std::function<void(const std::string&)> setTestExecutionStatus;
  bool runMode = false;
  // After the suite's end report.
  std::function<void()> runFinished;
};

class CRunEngine
{
public:
  explicit CRunEngine(RunContext context);

  // Mode: kListNextAll (every item) or kListNextSelected (the selected ones), in list order.
  void RunTests(unsigned mode);
  // The worker thread's body: the run, then the line that says it has ended.
  void RunOnWorker(unsigned mode);

  // User-interface thread, after a command changed the run state: a waiting run looks again.
  void WakeUp();

  // Tests shorten the wait between test cases.
  void SetPauseBetweenItems(std::chrono::milliseconds pause) { m_pauseBetweenItems = pause; }

private:
  // False (and the run winds up) when the user-interface thread no longer takes calls.
  bool Ui(const std::function<void()>& call);
  bool StopRequested() const;
  void WaitWhilePaused();
  void WaitBetweenItems();
  // Shows `state` in the status panel, on the user-interface thread, if it is still the state.
  void ShowRunStateUnlessChanged(RunState state);
  void Log(unsigned level, int text) const;

  RunContext m_context;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::atomic<bool> m_bUiGone{false};
  std::chrono::milliseconds m_pauseBetweenItems = kPauseBetweenTestCases;
};

} // namespace harness
