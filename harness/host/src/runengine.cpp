// The run routine.
#include "harness/runengine.h"

#include "harness/dospasses.h"
#include "harness/halvexdoc.h"
#include "harness/resultsfile.h"
#include "harness/startup.h"
#include "harness/stringids.h"
#include "plinth/testsuite.h"

#include <algorithm>
#include <vector>

namespace harness {

CRunEngine::CRunEngine(RunContext context) : m_context(std::move(context)) {}

bool CRunEngine::Ui(const std::function<void()>& call)
{
  if (m_bUiGone.load())
    return false;
  if (!m_context.ui.Call(call))
    m_bUiGone = true;
  return !m_bUiGone.load();
}

bool CRunEngine::StopRequested() const
{
  return m_context.runState.load() == RunState::StopRequested || m_bUiGone.load();
}

void CRunEngine::Log(unsigned level, int text) const
{
  if (m_context.log)
    m_context.log(level, m_context.strings.Get(text));
}

void CRunEngine::WakeUp()
{
  std::lock_guard lock(m_mutex);
  m_cv.notify_all();
}

void CRunEngine::WaitWhilePaused()
{
  std::unique_lock lock(m_mutex);
  while (m_context.runState.load() == RunState::Paused && !m_bUiGone.load())
    m_cv.wait_for(lock, kPausePoll);
}

void CRunEngine::ShowRunStateUnlessChanged(RunState state)
{
  // A stop command given since the worker read the state must not be overwritten by it.
  Ui([&] {
    if (m_context.runState.load() == state)
      m_context.status.SetRunState(state);
  });
}

void CRunEngine::WaitBetweenItems()
{
  std::unique_lock lock(m_mutex);
  m_cv.wait_for(lock, m_pauseBetweenItems, [this] { return StopRequested(); });
}

void CRunEngine::RunOnWorker(unsigned mode)
{
  RunTests(mode);
  Log(3, ids::kRunEnded);
}

void CRunEngine::RunTests(unsigned mode)
{
  m_bUiGone = false;
  RunSurface& surface = m_context.surface;
  CRunStatusBar& status = m_context.status;
  CResultsView& results = m_context.results;
  CRunBookkeeping& run = m_context.run;

  // The items as the run starts: the window stays disabled until the run ends, so they stay.
  CRunItemList list;
  CTestSuite* suite = nullptr;
  std::string executionStatus;
  std::string resultsFilePath;
  platform::HMODULE marlow = nullptr;
  if (!Ui([&] {
        list = surface.TakeItems();
        suite = &surface.Suite();
        executionStatus = m_context.testExecutionStatus ? m_context.testExecutionStatus() : "";
        resultsFilePath = m_context.settings.m_strResultsFilePath;
        marlow = m_context.marlow ? m_context.marlow() : nullptr;
      }))
    return;

  const CDosPasses dos(marlow, m_context.log);
  const DosPass pass = dos.DecidePass(list, suite, mode, executionStatus);
  const bool dosPass = pass.preparation || pass.collection;

  Ui([&] {
    for (const RunItem& item : list.Items())
      surface.SetItemIcon(item.row, kIconNotRun);
    status.ShowFailureCount(0);
    run.m_nPassedRuns = 0;
    status.SetRunState(RunState::Running);
    surface.SetDocState(kDocStateRunning);
    if (m_context.settings.m_nAppendToLogFile == 0 && m_context.clearLog)
      m_context.clearLog();
    if (m_context.settings.m_nAppendToResultsFile == 0)
      results.ClearResults();
  });
  if (pass.collection) {
    m_context.dosRestart.RemoveRestartEntry();
    m_context.dosRestart.PutBackUnrunStartLines();
  }
  Ui([&] {
    results.BeginRun();
    results.ReportSuiteStart(suite->GetName());
    surface.EnableWindow(false);
  });

  CBatchCodeList codes;
  int kind = kBatchKindNone;
  if (dosPass)
    dos.PrepareBatchComponentList(list, suite, resultsFilePath, codes, mode, kind,
                                  pass.preparation);

  const std::vector<RunItem> items = list.ItemsOf(mode);
  int total = 0;
  std::vector<std::string> classNames;
  for (const RunItem& item : items) {
    total += std::max(0, item.testCase->GetIterations());
    classNames.push_back(item.testCase->GetClassName());
  }
  const int debugLevel = pass.preparation ? dos.SuiteDebugLevel(classNames) : 0;
  if (mode == kListNextAll)
    Ui([&] { surface.DeselectAll(); });

  int execution = 1;
  Ui([&] { run.m_timeSuiteStart = results.Now(); });
  auto nextCode = codes.begin();
  bool suiteFailed = false;
  bool stopped = false;
  for (std::size_t index = 0; index < items.size() && !m_bUiGone.load(); ++index) {
    const RunItem& item = items[index];
    CTestCase* testCase = item.testCase;
    long long batchCode = -1;
    const bool takesCode =
        (pass.preparation && kind == kBatchKindDos) ||
        (pass.collection && (kind == kBatchKindDos || kind == kBatchKindWindows));
    if (takesCode && nextCode != codes.end())
      batchCode = *nextCode++;
    // The preparation pass runs nothing but Marlow's DOS test cases.
    if (pass.preparation && kind == kBatchKindDos && batchCode != kBatchCodeDos)
      continue;
    const bool preparesDos = pass.preparation && kind == kBatchKindDos;
    const bool copiesLines =
        pass.collection && (batchCode == kBatchCodeDos || batchCode == kBatchCodeOther);

    Ui([&] {
      surface.EnsureItemVisible(item.row);
      run.m_pCurrentTestCase = testCase;
      status.ShowTestCaseLabel(testCase->GetLabel());
      surface.SetItemIcon(item.row, kIconRunning);
    });

    bool failed = false;
    for (int iteration = 1; iteration <= testCase->GetIterations(); ++iteration) {
      std::size_t linesBefore = 0;
      if (!Ui([&] {
            status.ShowProgress(execution, total);
            if (!pass.preparation)
              results.ReportTestStart(*testCase, iteration);
            if (pass.collection) {
              std::vector<std::string> lines;
              ReadResultLines(m_context.settings.m_strResultsFilePath, lines);
              linesBefore = lines.size();
            }
          }))
        break;
      // Withdraws a stop request meant for an earlier execution.
      testCase->ClearStatus();
      const std::uint32_t testStatus = testCase->Execute();
      testCase->SetStatus(testStatus);
      if (preparesDos) {
        Ui([&] { surface.SetItemIcon(item.row, kIconNotRun); });
        continue;
      }
      Ui([&] {
        if (testStatus == kStatusPassed) {
          ++run.m_nPassedRuns;
        } else {
          failed = true;
          status.CountFailure();
        }
        if (copiesLines) {
          std::vector<std::string> lines;
          ReadResultLines(m_context.settings.m_strResultsFilePath, lines);
          for (const std::string& line : NewResultLines(lines, linesBefore))
            results.AppendResultLine(line);
        }
        results.ReportTestEnd(*testCase);
      });
      ++execution;
      if (m_context.runState.load() == RunState::Paused) {
        ShowRunStateUnlessChanged(RunState::Paused);
        Log(1, ids::kRunPaused);
        WaitWhilePaused();
        if (m_context.runState.load() == RunState::Running) {
          ShowRunStateUnlessChanged(RunState::Running);
          Log(1, ids::kRunResumed);
        }
      }
      if (StopRequested())
        break;
    }
    if (failed)
      suiteFailed = true;
    const StateIcon icon = preparesDos ? kIconNotRun : failed ? kIconFailed : kIconPassed;
    Ui([&] { surface.SetItemIcon(item.row, icon); });
    // A stop during the wait ends the run before the next test case starts.
    if (!StopRequested() && !dosPass && index + 1 < items.size())
      WaitBetweenItems();
    if (StopRequested()) {
      Log(1, ids::kRunStoppedByUser);
      Ui([&] {
        status.SetRunState(RunState::Stopped);
        surface.SetDocState(kDocStateIdle);
      });
      stopped = true;
      break;
    }
  }

  Ui([&] {
    if (!stopped) {
      surface.SetDocState(kDocStateIdle);
      status.SetRunState(suiteFailed ? RunState::Failed : RunState::Passed);
    }
    run.m_pCurrentTestCase = nullptr;
    surface.EnableWindow(true);
  });
  if (m_bUiGone.load())
    return;
  if (pass.preparation) {
    DosPreparation preparation;
    preparation.suite = suite;
    preparation.debugLevel = debugLevel;
    preparation.runMode = m_context.runMode;
    Ui([&] { preparation.suiteFilePath = surface.DocumentPath(); });
    if (!m_context.dosRestart.AfterPreparationPass(preparation)) {
      Ui([&] { surface.EnableWindow(true); });
      return;
    }
    // The suite's test cases run in the pass after the restart, so this run has not completed
    // them: it must not end as passed.
    Ui([&] { status.SetRunState(RunState::Stopped); });
  }
  Ui([&] {
    results.ReportSuiteEnd(suite->GetName(), surface.DocumentPath(), m_context.runState.load());
    surface.PostBringToFront();
    if (pass.collection && m_context.setTestExecutionStatus)
      m_context.setTestExecutionStatus(kStatusPrebootbatch);
    results.EndRun();
    if (m_context.runFinished)
      m_context.runFinished();
  });
}

} // namespace harness
