// The run routine: a suite of one test case with 2000 iterations that returns at once, run
// through the whole routine (worker thread, status panel, icons, results file or NTLog, results
// window) against calling Execute 2000 times in a loop; and the longest pause of the
// user-interface thread's event loop while the run goes on.
#include "halvexapp.h"
#include "halvexview.h"
#include "mainframe.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "plinth/component.h"
#include "plinth/testsuite.h"
#include "qtprompts.h"
#include "ratioreporter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

constexpr int kIterations = 2000;

// A test case that passes at once.
class CQuickTestCase : public CTestCase
{
  PLINTH_DECLARE_SERIAL(CQuickTestCase)

public:
  uint32_t Execute() override { return kTestStatusPassed; }
};

PLINTH_IMPLEMENT_SERIAL(CQuickTestCase, CTestCase, 1)

QApplication& App()
{
  static int argc = 1;
  static char name[] = "run_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

std::string Folder()
{
  static const std::string folder = [] {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("halvex-run-bench-" + std::to_string(::getpid())))
                                 .string();
    std::filesystem::create_directories(path);
    ::setenv("HALVEX_REGISTRY", (path + "/registry.db").c_str(), 1);
    ::setenv("HALVEX_UNATTENDED", "1", 1);
    platform::HKEY key = nullptr;
    platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Halvex", 0, nullptr,
                             0, platform::KEY_ALL_ACCESS, nullptr, &key, nullptr);
    platform::RegCloseKey(key);
    return path;
  }();
  return folder;
}

void BM_ExecuteInALoop(benchmark::State& state)
{
  CQuickTestCase testCase;
  for (auto _ : state) {
    for (int i = 0; i < kIterations; ++i) {
      testCase.ClearStatus();
      testCase.SetStatus(testCase.Execute());
    }
    benchmark::DoNotOptimize(testCase.GetStatus());
  }
  state.SetItemsProcessed(state.iterations() * kIterations);
}
BENCHMARK(BM_ExecuteInALoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument: NtLoggingEnable (results into NTLog's log, or into the harness's own file).
void BM_RunRoutine(benchmark::State& state)
{
  App();
  const std::string folder = Folder();
  harness::CHalvexApp app;
  app.QtPrompts().SetUnattended(true);
  if (!app.LoadResourceLibraries(QString::fromStdString(platform::ProgramFolder() + "/../bin"))) {
    state.SkipWithError("the resource libraries are not beside the benchmarks");
    return;
  }
  app.SetRootKey("SOFTWARE\\Orvane\\Halvex");
  guiLoggingLevel = 1;
  app.m_settings.m_nLogDateTime = 1;
  app.m_settings.m_nNtLoggingEnable = static_cast<std::uint32_t>(state.range(0));
  app.m_settings.m_nAppendToResultsFile = 0; // each run starts the results again
  app.m_settings.m_strLogFilePath = folder + "/log.txt";
  app.m_settings.m_strResultsFilePath = folder + "/results.txt";
  app.m_settings.m_strDefaultLoggingFolder = folder;
  if (!app.CreateMainFrame()) {
    state.SkipWithError("no main window");
    return;
  }
  app.m_pMainFrame->show();
  // The harness owns its components: ExitInstance deletes this one.
  auto* component = new CComponent(nullptr);
  component->SetClassName("Quick");
  _ComponentList.push_back(component);
  app.m_pMainFrame->OnFileNew();
  harness::CHalvexView* view = app.m_pMainFrame->ActiveSuiteWindow();
  auto* testCase = new CQuickTestCase;
  testCase->m_strClassName = "Quick";
  testCase->SetLabel("Quick");
  testCase->SetIterations(kIterations);
  view->Document().m_suite.push_back(testCase);
  view->Refresh();

  // The gap between two turns of the event loop: a zero timer fires once per turn.
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longestPause = 0;
  QTimer turns;
  QObject::connect(&turns, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longestPause = std::max(longestPause, now - last);
    last = now;
  });
  for (auto _ : state) {
    if (!app.StartRun(*view, kListNextAll)) {
      state.SkipWithError("the run did not start");
      break;
    }
    clock.start();
    last = 0;
    turns.start(0);
    while (app.IsRunThreadWorking())
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    turns.stop();
    app.JoinRunThread();
    if (app.m_nRunState != harness::RunState::Passed || app.m_run.m_nPassedRuns != kIterations) {
      state.SkipWithError("the run did not pass every execution");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kIterations);
  state.counters["longest_pause_ms"] = static_cast<double>(longestPause) / 1e6;
  app.ExitInstance();
}
BENCHMARK(BM_RunRoutine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Time per 2000 executions: the whole routine against the bare loop.
  reporter.PrintRatio("BM_RunRoutine/0/real_time", "BM_ExecuteInALoop/real_time");
  reporter.PrintRatio("BM_RunRoutine/1/real_time", "BM_ExecuteInALoop/real_time");
  benchmark::Shutdown();
  return 0;
}
