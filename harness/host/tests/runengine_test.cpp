// The run routine on a worker thread with the run probe's test cases: totals, verdicts, icons,
// counters and status texts, the results file of a whole run, pause, resume and stop, run
// selected, and the two passes of DOS test cases through Marlow's exports.
#include "harness/dospasses.h"
#include "harness/logfile.h"
#include "harness/stateicons.h"
#include "runfixture.h"

#include <algorithm>

namespace harness::test {
namespace {

using RunEngineTest = RunFixture;

TEST_F(RunEngineTest, EmptySuiteEndsAtOnceWithACompleteReport)
{
  LoadProbe();
  suite.m_strName = "Empty";
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(runState.load(), RunState::Passed);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(run.m_nTotalRuns, 0);
  const std::string file = ReadAll(settings.m_strResultsFilePath);
  for (int text : {ids::kSuiteStartReport, ids::kSuiteEndReport})
    EXPECT_NE(file.find(strings.Format(text, {"Empty"})), std::string::npos) << file;
  EXPECT_NE(file.find(strings.Format(ids::kSuiteTotal, {"0"})), std::string::npos);
  EXPECT_NE(file.find(strings.Get(ids::kSuiteReportEnd)), std::string::npos);
  EXPECT_EQ(surface.broughtToFront, 1);
  EXPECT_TRUE(surface.enabled);
  EXPECT_EQ(surface.docState, kDocStateIdle);
}

TEST_F(RunEngineTest, TotalsIconsAndCountersWithAFailureInASecondIteration)
{
  LoadProbe();
  Add("Pass then fail", 2, "First");
  Add("Pass", 1, "Second");
  Add("Pass", 3, "Third");
  Add("Fail", 0, "Never");
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(executions(), 6); // the test case with no iterations is not executed
  EXPECT_EQ(run.m_nTotalRuns, 6);
  EXPECT_EQ(run.m_nPassedRuns, 5);
  EXPECT_EQ(run.m_nFailedRuns, 1);
  EXPECT_EQ(runState.load(), RunState::Failed);
  const std::vector<int> icons = {kIconFailed, kIconPassed, kIconPassed, kIconPassed};
  EXPECT_EQ(surface.icons, icons);
  // Each item: reset to not run, running, then its verdict.
  EXPECT_EQ(surface.iconHistory[0], (std::vector<int>{kIconNotRun, kIconRunning, kIconFailed}));
  std::vector<std::string> progress;
  for (int n = 1; n <= 6; ++n)
    progress.push_back(ProgressText(strings, n, 6));
  auto& shown = fields.history[kStatusProgressField];
  EXPECT_EQ(std::vector<std::string>(shown.end() - 6, shown.end()), progress);
  EXPECT_EQ(fields.texts[kStatusFailuresField], "1");
  EXPECT_EQ(fields.texts[kStatusRunStateField], RunStateText(strings, RunState::Failed));
  EXPECT_EQ(fields.texts[kStatusTestCaseField], "Never");
  // Running was logged as the run started; the user's stop was not.
  EXPECT_TRUE(log.Has(RunStateText(strings, RunState::Running)));
  EXPECT_FALSE(log.Has(strings.Get(ids::kRunStoppedByUser)));
  EXPECT_EQ(surface.disabledTimes, 1);
  EXPECT_TRUE(surface.enabled);
  EXPECT_EQ(run.m_pCurrentTestCase, nullptr);
  // The run finished after its suite report, with every execution in the record.
  ASSERT_EQ(record.Suite().executions.size(), 6u);
  EXPECT_EQ(record.Suite().executions[1].label, "First");
  EXPECT_EQ(record.Suite().executions[1].iteration, 2);
  EXPECT_FALSE(record.Suite().executions[1].passed);
  EXPECT_EQ(record.Suite().state, RunState::Failed);
}

TEST_F(RunEngineTest, ResultsFileOfAWholeRun)
{
  LoadProbe();
  suite.m_strName = "Nightly";
  surface.path = "/suites/nightly.ts";
  Add("Pass", 1, "Boot");
  Add("Fail", 1, "Memory");
  settings.m_nReportManufacturer = settings.m_nReportModel = settings.m_nReportSerialNumber = 0;
  settings.m_nReportDriverVersion = settings.m_nReportFirmwareVersion = 0;
  loader.FindComponentByClass("RunProbe")->SetOEMName("Orvane");
  MakeEngine();
  RunToEnd();
  const std::string expected = "\r\n"
                               "Test suite Nightly started\r\n"
                               " \r\n"
                               "Test case: Boot\r\n"
                               "Type: ProbeTestCase\r\n"
                               "Component: RunProbe\r\n"
                               "OEM: Orvane\r\n"
                               "Started: DATE TIME\r\n"
                               "Iteration: 1\r\n"
                               "\r\n"
                               "Boot: execution 1, pass\r\n"
                               "\r\n"
                               "Test case Boot ended\r\n"
                               "Result: Passed\r\n"
                               "Ended: DATE TIME\r\n"
                               "Elapsed time: 0:00:00\r\n"
                               "---- end of test case ----\r\n"
                               " \r\n"
                               "Test case: Memory\r\n"
                               "Type: ProbeTestCase\r\n"
                               "Component: RunProbe\r\n"
                               "OEM: Orvane\r\n"
                               "Started: DATE TIME\r\n"
                               "Iteration: 1\r\n"
                               "\r\n"
                               "Memory: execution 1, fail\r\n"
                               "\r\n"
                               "Test case Memory ended\r\n"
                               "Result: Failed\r\n"
                               "Ended: DATE TIME\r\n"
                               "Elapsed time: 0:00:00\r\n"
                               "---- end of test case ----\r\n"
                               "\r\n"
                               "Test suite Nightly ended\r\n"
                               "Final state: Failed\r\n"
                               "Test suite file: /suites/nightly.ts\r\n"
                               "Suite started: DATE TIME\r\n"
                               "Suite ended: DATE TIME\r\n"
                               "Suite elapsed time: 0:00:00\r\n"
                               "Executions: 2\r\n"
                               "Passed: 1\r\n"
                               "Failed: 1\r\n"
                               "==== end of test suite report ====\r\n";
  // The test cases' result lines reach the results through the message path, from the worker.
  EXPECT_EQ(ReadAll(settings.m_strResultsFilePath), expected);
  std::string window = expected;
  EXPECT_EQ(resultsWindow.text, window);
  ASSERT_EQ(record.Suite().executions.size(), 2u);
  EXPECT_EQ(record.Suite().executions[0].output,
            std::vector<std::string>{"Boot: execution 1, pass"});
}

TEST_F(RunEngineTest, AppendSettingsAtZeroEmptyLogAndResultsFirst)
{
  LoadProbe();
  Add("Pass", 1);
  AppendLineToFile(settings.m_strResultsFilePath, "an earlier run");
  struct Case
  {
    std::uint32_t appendLog;
    std::uint32_t appendResults;
    int logCleared;
    bool earlierKept;
  } cases[] = {{1, 1, 0, true}, {0, 1, 1, true}, {1, 0, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.appendLog << c.appendResults);
    settings.m_nAppendToLogFile = c.appendLog;
    settings.m_nAppendToResultsFile = c.appendResults;
    logCleared = 0;
    log.Clear();
    MakeEngine();
    RunToEnd();
    EXPECT_EQ(logCleared, c.appendLog == 0 ? 1 : 0);
    EXPECT_EQ(ReadAll(settings.m_strResultsFilePath).find("an earlier run") != std::string::npos,
              c.earlierKept);
  }
}

TEST_F(RunEngineTest, RunSelectedRunsTheSelectedItemsOnly)
{
  LoadProbe();
  Add("Pass", 1, "A");
  Add("Fail", 1, "B");
  Add("Pass", 2, "C");
  surface.selected = {true, false, true};
  MakeEngine();
  RunToEnd(kListNextSelected);
  EXPECT_EQ(executions(), 3);
  EXPECT_EQ(run.m_nTotalRuns, 3);
  EXPECT_EQ(runState.load(), RunState::Passed);
  EXPECT_EQ(surface.icons, (std::vector<int>{kIconPassed, kIconNotRun, kIconPassed}));
  // Run all deselects every item; run selected keeps the selection.
  EXPECT_EQ(surface.selected, (std::vector<bool>{true, false, true}));
  RunToEnd(kListNextAll);
  EXPECT_EQ(surface.selected, (std::vector<bool>{false, false, false}));
}

TEST_F(RunEngineTest, PauseResumeAndTheirLogLines)
{
  LoadProbe();
  Add("Sleep", 6);
  MakeEngine();
  Start();
  ASSERT_TRUE(PumpUntil([this] { return executions() >= 2; }));
  runState = RunState::Paused; // the pause command writes the state directly
  ASSERT_TRUE(PumpUntil([this] { return log.Has(strings.Get(ids::kRunPaused)); }));
  EXPECT_EQ(fields.texts[kStatusRunStateField], RunStateText(strings, RunState::Paused));
  const int pausedAt = executions();
  // Nothing runs while paused.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(executions(), pausedAt);
  runState = RunState::Running;
  engine->WakeUp();
  ASSERT_TRUE(PumpUntil([this] { return Ended(); }));
  EXPECT_TRUE(log.Has(strings.Get(ids::kRunResumed)));
  EXPECT_EQ(executions(), 6);
  EXPECT_EQ(runState.load(), RunState::Passed);
}

// The stop command during a pause, or right after the resume command while the worker is on
// its way out of the pause (a stop it must not overwrite with "Running"): the run ends.
class PauseThenStopTest : public RunEngineTest
{
protected:
  void PauseThenStop(bool resumeFirst)
  {
    LoadProbe();
    Add("Sleep", 5, "Slow");
    Add("Pass", 1, "Later");
    MakeEngine();
    Start();
    ASSERT_TRUE(PumpUntil([this] { return executions() >= 1; }));
    runState = RunState::Paused;
    ASSERT_TRUE(PumpUntil([this] { return log.Has(strings.Get(ids::kRunPaused)); }));
    if (resumeFirst) {
      runState = RunState::Running; // the resume command
      engine->WakeUp();
      // The worker now waits for this thread to show the state; the stop command comes first.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    status.SetRunState(RunState::StopRequested); // the stop command
    engine->WakeUp();
    ASSERT_TRUE(PumpUntil([this] { return Ended(); }));
    EXPECT_LT(executions(), 5);
    EXPECT_EQ(runState.load(), RunState::Stopped);
    EXPECT_TRUE(log.Has(strings.Get(ids::kRunStoppedByUser)));
    EXPECT_EQ(surface.icons[1], kIconNotRun); // the later item never ran
    EXPECT_EQ(surface.docState, kDocStateIdle);
    const std::string file = ReadAll(settings.m_strResultsFilePath);
    EXPECT_NE(file.find(strings.Format(ids::kSuiteFinalState,
                                       {RunStateText(strings, RunState::Stopped)})),
              std::string::npos);
  }
};

TEST_F(PauseThenStopTest, StopDuringAPauseEndsTheRun)
{
  PauseThenStop(false);
  EXPECT_FALSE(log.Has(strings.Get(ids::kRunResumed)));
}

TEST_F(PauseThenStopTest, StopRightAfterAResumeIsKept)
{
  PauseThenStop(true);
}

// The stop command during the wait between two test cases: the next one never starts.
TEST_F(RunEngineTest, StopDuringTheWaitBetweenTestCasesEndsTheRun)
{
  LoadProbe();
  Add("Pass", 1, "First");
  Add("Pass", 1, "Later");
  MakeEngine();
  engine->SetPauseBetweenItems(std::chrono::seconds(30));
  Start();
  ASSERT_TRUE(PumpUntil([this] { return executions() == 1; }));
  status.SetRunState(RunState::StopRequested);
  engine->WakeUp();
  ASSERT_TRUE(PumpUntil([this] { return Ended(); }, 10000)); // well before the 30 s wait ends
  EXPECT_EQ(executions(), 1);
  EXPECT_EQ(runState.load(), RunState::Stopped);
  EXPECT_EQ(surface.icons[0], kIconPassed);
  EXPECT_EQ(surface.icons[1], kIconNotRun);
}

TEST_F(RunEngineTest, StopAbortsTheRunningTestCase)
{
  LoadProbe();
  Add("Wait", 3, "Waiting");
  MakeEngine();
  Start();
  ASSERT_TRUE(PumpUntil([this] { return run.m_pCurrentTestCase != nullptr && executions() == 1; }));
  status.SetRunState(RunState::StopRequested);
  run.m_pCurrentTestCase->Abort();
  engine->WakeUp();
  ASSERT_TRUE(PumpUntil([this] { return Ended(); }, 10000)); // well before the probe's 30 s
  EXPECT_EQ(executions(), 1);
  EXPECT_EQ(runState.load(), RunState::Stopped);
  EXPECT_EQ(run.m_nFailedRuns, 1); // an aborted execution did not pass
  EXPECT_EQ(surface.icons[0], kIconFailed);
}

TEST_F(RunEngineTest, AMissingComponentIsReportedAndTheTestCaseStillRuns)
{
  LoadProbe();
  CTestCase* orphan = Add("Pass", 1, "Orphan");
  orphan->m_strClassName = "Unloaded Tests";
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(executions(), 1);
  const std::string text = strings.Format(ids::kComponentNotFound, {"Unloaded Tests"});
  EXPECT_TRUE(log.Has(text));
  EXPECT_NE(ReadAll(settings.m_strResultsFilePath).find("\r\n" + text + "\r\n"), std::string::npos);
  ASSERT_EQ(record.Suite().executions.size(), 1u);
  EXPECT_FALSE(record.Suite().executions[0].component.loaded);
  EXPECT_EQ(record.Suite().executions[0].component.className, "Unloaded Tests");
}

TEST_F(RunEngineTest, ARunWhoseWindowsGoAwayWindsUp)
{
  LoadProbe();
  Add("Sleep", 50);
  MakeEngine();
  Start();
  ASSERT_TRUE(PumpUntil([this] { return executions() >= 1; }));
  ui.Close(); // the harness is closing
  ASSERT_TRUE(PumpUntil([this] { return Ended(); }));
  EXPECT_LT(executions(), 50);
  EXPECT_EQ(finished, 0);
}

// Marlow's DOS exports, offered by the run probe loaded as Marlow.
class DosPassTest : public RunFixture
{
protected:
  void SetUp() override
  {
    RunFixture::SetUp();
    LoadProbe("Marlow.so");
    Add("Pass", 1, "Before");
    Add("DOS", 2, "Memory under DOS");
    Add("Fail", 1, "After");
    ASSERT_EQ(loader.GetMarlowModule(), module);
  }
};

TEST_F(DosPassTest, PreparationPassExecutesOnlyTheDosTestCases)
{
  reset(0);
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(executions(), 2); // the DOS test case's two iterations, nothing else
  EXPECT_EQ(surface.icons, (std::vector<int>{kIconNotRun, kIconNotRun, kIconNotRun}));
  EXPECT_EQ(surface.iconHistory[1].back(), kIconNotRun);
  EXPECT_EQ(run.m_nPassedRuns, 0);
  EXPECT_EQ(run.m_nFailedRuns, 0);
  EXPECT_EQ(run.m_nTotalRuns, 4); // every item's iterations still count towards the total
  EXPECT_EQ(suite.front()->GetStatus(), kTestStatusCleared); // never executed
  EXPECT_EQ((*std::next(suite.begin()))->GetStatus(), kTestStatusPrepared);
  // No start reports; the preparation's end goes to the restart, once.
  EXPECT_EQ(ReadAll(settings.m_strResultsFilePath).find("Test case: "), std::string::npos);
  EXPECT_EQ(recordingRestart.seen.size(), 1u);
  // Nothing was judged: the run ends as not completed, never as passed.
  EXPECT_EQ(runState.load(), RunState::Stopped);
  EXPECT_TRUE(storedStatus.empty());
}

TEST_F(DosPassTest, PreparationHandsOverToTheRestartWhichMayEndTheRun)
{
  RecordingRestart restart;
  dosRestart = &restart;
  surface.path = folder.File("dos.ts");
  reset(3);
  for (bool goOn : {true, false}) {
    SCOPED_TRACE(goOn);
    restart.goOn = goOn;
    finished = 0;
    log.Clear();
    MakeEngine();
    RunToEnd();
    ASSERT_FALSE(restart.seen.empty());
    EXPECT_EQ(restart.seen.back().debugLevel, 3);
    EXPECT_EQ(restart.seen.back().suiteFilePath, folder.File("dos.ts"));
    EXPECT_EQ(restart.seen.back().suite, &suite);
    // Refused: no suite end report, the window usable again.
    EXPECT_EQ(finished, goOn ? 1 : 0);
    EXPECT_TRUE(surface.enabled);
  }
  EXPECT_EQ(restart.removed, 0);
}

TEST_F(DosPassTest, CollectionPassRunsEverythingAndCopiesMarlowsLines)
{
  RecordingRestart restart;
  dosRestart = &restart;
  executionStatus = "BatchResume";
  // A results file of more than 50 lines already, as after a few runs.
  for (int line = 0; line < 60; ++line)
    AppendLineToFile(settings.m_strResultsFilePath, "earlier");
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(executions(), 4);
  EXPECT_EQ(restart.removed, 1);
  EXPECT_TRUE(restart.seen.empty());
  EXPECT_EQ(storedStatus, std::vector<std::string>{"Prebootbatch"});
  EXPECT_EQ(executionStatus, "Prebootbatch");
  EXPECT_EQ(surface.icons, (std::vector<int>{kIconPassed, kIconPassed, kIconFailed}));
  // Each execution added its result line and six lines of its own to the long results file;
  // those from the fourth after the count before the execution on are copied into the window.
  for (int line : {1, 2, 3, 6}) {
    SCOPED_TRACE(line);
    const std::string text = "Memory under DOS DOS log line " + std::to_string(line);
    const bool copied = line >= 3;
    const auto inWindow =
        std::count_if(record.Suite().executions.begin(), record.Suite().executions.end(),
                      [&](const ExecutionRecord& e) {
                        return std::find(e.output.begin(), e.output.end(), text) != e.output.end();
                      });
    EXPECT_EQ(inWindow, copied ? 2 : 0);
    EXPECT_EQ(resultsWindow.text.find(text) != std::string::npos, copied);
  }
}

TEST_F(DosPassTest, WindowsTestCasesOfMarlowMakeACollectionPass)
{
  DestructElements(suite);
  Add("Windows", 1, "Windows only");
  RecordingRestart restart;
  dosRestart = &restart;
  MakeEngine();
  RunToEnd();
  EXPECT_EQ(restart.removed, 1);
  EXPECT_EQ(storedStatus, std::vector<std::string>{"Prebootbatch"});
  EXPECT_EQ(runState.load(), RunState::Passed);
}

TEST_F(RunEngineTest, MarlowWithoutTheCheckExportsRunsAPlainRun)
{
  std::filesystem::copy_file(BuildDir() + "/tests/fixtures/Marlow.so", folder.File("Marlow.so"));
  ASSERT_NE(loader.LoadComponentDll(folder.File("Marlow.so")), nullptr);
  LoadProbe();
  Add("Pass", 1);
  MakeEngine();
  RunToEnd();
  const auto said = std::count(log.Lines().begin(), log.Lines().end(), kCheckMarlowVersion);
  EXPECT_EQ(said, 2); // once for each check export
  EXPECT_EQ(executions(), 1);
  EXPECT_EQ(runState.load(), RunState::Passed);
}

} // namespace
} // namespace harness::test
