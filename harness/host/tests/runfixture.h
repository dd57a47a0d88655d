// A run without windows: the run probe plug-in loaded by the component loader, a suite of its
// test cases, the results and status panel over plain texts, and a worker thread that reaches
// this (the test's) thread through the user-interface calls, as in the harness.
#pragma once

#include "harness/componentloader.h"
#include "harness/dosrestart.h"
#include "harness/halvexdoc.h"
#include "harness/logsend.h"
#include "harness/ntlogentry.h"
#include "harness/resultsview.h"
#include "harness/runengine.h"
#include "harness/runrecord.h"
#include "harness/runstatusbar.h"
#include "harness/runworker.h"
#include "harness/stringids.h"
#include "harness/uicalls.h"
#include "platform/messages.h"
#include "plinth/component.h"
#include "plinth/testsuite.h"
#include "testsupport/hostsupport.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

namespace harness::test {

using namespace testsupport;

inline std::string BuildDir()
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  return build ? build : ".";
}

class FieldTexts : public StatusFields
{
public:
  void SetFieldText(int field, const std::string& text) override
  {
    texts[field] = text;
    history[field].push_back(text);
  }
  std::map<int, std::string> texts;
  std::map<int, std::vector<std::string>> history;
};

// The suite list over a suite: icons, selection, document state and window state as values.
class ListSurface : public RunSurface
{
public:
  explicit ListSurface(CTestSuite& suite) : m_suite(suite) { Refresh(); }

  void Refresh()
  {
    icons.assign(m_suite.size(), kIconNotRun);
    selected.assign(m_suite.size(), false);
    iconHistory.assign(m_suite.size(), {});
  }

  CRunItemList TakeItems() override
  {
    std::vector<RunItem> items;
    int row = 0;
    for (CTestCase* testCase : m_suite) {
      items.push_back({row, testCase, selected[static_cast<std::size_t>(row)]});
      ++row;
    }
    return CRunItemList(items);
  }
  CTestSuite& Suite() override { return m_suite; }
  std::string DocumentPath() override { return path; }
  void SetDocState(int state) override { docState = state; }
  void SetItemIcon(int row, StateIcon icon) override
  {
    icons.at(static_cast<std::size_t>(row)) = icon;
    iconHistory.at(static_cast<std::size_t>(row)).push_back(icon);
  }
  void EnsureItemVisible(int) override {}
  void DeselectAll() override { selected.assign(selected.size(), false); }
  void EnableWindow(bool enable) override
  {
    enabled = enable;
    if (!enable)
      ++disabledTimes;
  }
  void PostBringToFront() override { ++broughtToFront; }

  std::vector<int> icons;
  std::vector<bool> selected;
  std::vector<std::vector<int>> iconHistory;
  std::string path;
  int docState = kDocStateIdle;
  bool enabled = true;
  int disabledTimes = 0;
  int broughtToFront = 0;

private:
  CTestSuite& m_suite;
};

// The main window of the test's thread, handling the messages as the harness's main window
// does: log lines are kept, results, conditions and NTLog entries go to the results.
class MainWindow
{
public:
  MainWindow()
  {
    m_hWnd =
        platform::CreateWindow("HALVEXclass", [this](platform::UINT msg, platform::WPARAM wParam,
                                                     platform::LPARAM lParam) {
          const char* text = reinterpret_cast<const char*>(lParam);
          if (msg == m_uLog)
            m_lines.emplace_back(text);
          else if ((msg == m_uResults || msg == m_uConditions) && results != nullptr)
            results->OnResultText(text);
          else if (msg == m_uNtLog && results != nullptr) {
            const auto* entry = reinterpret_cast<const NtLogEntry*>(lParam);
            results->LogNtEntry(entry->flags, entry->sourceFile, entry->line, entry->text);
          }
          (void)wParam;
          return platform::LRESULT{0};
        });
    platform::SetMainWnd(m_hWnd);
  }
  ~MainWindow()
  {
    platform::SetMainWnd(nullptr);
    platform::DestroyWindow(m_hWnd);
  }
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  const std::vector<std::string>& Lines() const { return m_lines; }
  bool Has(const std::string& line) const
  {
    return std::count(m_lines.begin(), m_lines.end(), line) != 0;
  }
  void Clear() { m_lines.clear(); }

  CResultsView* results = nullptr;

private:
  platform::UINT m_uLog = platform::RegisterWindowMessage(kLogMessageName);
  platform::UINT m_uResults = platform::RegisterWindowMessage("HALVEX Test Results Message");
  platform::UINT m_uConditions = platform::RegisterWindowMessage("HALVEX Test Conditions Message");
  platform::UINT m_uNtLog = platform::RegisterWindowMessage(kNtLogMessageName);
  platform::HWND m_hWnd = nullptr;
  std::vector<std::string> m_lines;
};

// What the preparation pass hands to the restart that follows it.
class RecordingRestart : public DosRestart
{
public:
  bool AfterPreparationPass(const DosPreparation& preparation) override
  {
    seen.push_back(preparation);
    return goOn;
  }
  void RemoveRestartEntry() override { ++removed; }
  std::vector<DosPreparation> seen;
  int removed = 0;
  bool goOn = true;
};

class RunFixture : public ::testing::Test
{
protected:
  RunFixture()
      : registry(folder), strings(HarnessStrings()),
        loader(kRootKey, LoaderCallbacks{[this](unsigned level, const std::string& text) {
                                           loaderLog.push_back(text);
                                           (void)level;
                                         },
                                         nullptr, nullptr}),
        status(runState, run, strings), surface(suite)
  {
  }

  void SetUp() override
  {
    registry.SeedRoot(folder.Path(), folder.Path() + "/");
    guiLoggingLevel = 3;
    settings.SetDefaults();
    settings.m_strDefaultLoggingFolder = folder.Path();
    settings.m_strResultsFilePath = folder.File("results.txt");
    settings.m_strLogFilePath = folder.File("log.txt");
    settings.m_nNtLoggingEnable = 0;
    status.SetFields(&fields);
    status.SetLog(SendLogLine);
  }
  void TearDown() override
  {
    if (worker.IsRunning()) {
      runState = RunState::StopRequested;
      if (engine)
        engine->WakeUp();
    }
    worker.Join([] { platform::ProcessPendingMessages(); });
    DestructElements(suite);
  }

  // Loads the run probe, under its own name or as Marlow.
  void LoadProbe(const std::string& name = "RunProbe.so")
  {
    std::string path = BuildDir() + "/tests/RunProbe.so";
    if (name != "RunProbe.so") {
      std::filesystem::copy_file(path, folder.File(name));
      path = folder.File(name);
    }
    module = loader.LoadComponentDll(path);
    ASSERT_NE(module, nullptr) << platform::LastModuleError();
    probeClass = name.substr(0, name.find('.'));
    reset = reinterpret_cast<void (*)(int)>(platform::GetProcAddress(module, "probe_reset"));
    executions = reinterpret_cast<int (*)()>(platform::GetProcAddress(module, "probe_executions"));
    ASSERT_NE(reset, nullptr);
    reset(0);
  }

  // A test case cloned from the probe's prototype of that label, as the harness adds one.
  CTestCase* Add(const std::string& prototype, int iterations, const std::string& label = "")
  {
    CComponent* component = loader.FindComponentByClass(probeClass);
    EXPECT_NE(component, nullptr);
    for (CTestCase* p : component->m_TestCaseList) {
      if (p->GetLabel() != prototype)
        continue;
      CTestCase* testCase = p->Clone();
      testCase->SetIterations(iterations);
      if (!label.empty())
        testCase->SetLabel(label);
      suite.push_back(testCase);
      surface.Refresh();
      return testCase;
    }
    ADD_FAILURE() << "no prototype " << prototype;
    return nullptr;
  }

  // The results view, the record and the engine; call after the settings are final.
  void MakeEngine(std::string ntLogModule = "NoNtLogHere.dll")
  {
    results = std::make_unique<CResultsView>(settings, run, strings, prompts, ntLogModule);
    results->SetWindow(&resultsWindow);
    log.results = results.get();
    results->SetLog(SendLogLine);
    results->SetComponentFinder(
        [this](const std::string& name) { return loader.FindComponentByClass(name); });
    results->SetRecord(&record);
    results->SetClock([this] { return now; });
    results->SetDateTimeText([](RunClock::time_point) { return std::string("DATE TIME"); });
    RunContext context{ui,
                       surface,
                       status,
                       *results,
                       run,
                       runState,
                       settings,
                       strings,
                       dosRestart != nullptr ? *dosRestart
                                             : static_cast<DosRestart&>(recordingRestart),
                       SendLogLine,
                       [this] { ++logCleared; },
                       [this] { return loader.GetMarlowModule(); },
                       [this] { return executionStatus; },
                       [this](const std::string& value) {
                         executionStatus = value;
                         storedStatus.push_back(value);
                       },
                       false,
                       [this] { ++finished; }};
    engine = std::make_unique<CRunEngine>(context);
    engine->SetPauseBetweenItems(std::chrono::milliseconds(0));
  }

  // Starts the run on a worker; the test's thread answers its calls until `done` or the end.
  void Start(unsigned mode = kListNextAll)
  {
    ASSERT_TRUE(worker.Start([this, mode] { engine->RunOnWorker(mode); }, {}));
  }
  // Every step of a run is a message to this thread, so each wakes the loop.
  bool PumpUntil(const std::function<bool()>& done, int limitMs = 20000)
  {
    return dispatcher.RunUntil(done, std::chrono::milliseconds(limitMs));
  }
  // Runs end with this line from the worker thread.
  long EndedCount() const
  {
    return std::count(log.Lines().begin(), log.Lines().end(), strings.Get(ids::kRunEnded));
  }
  bool Ended() const { return EndedCount() != 0; }
  void RunToEnd(unsigned mode = kListNextAll)
  {
    const long before = EndedCount();
    Start(mode);
    ASSERT_TRUE(PumpUntil([&] { return EndedCount() > before; }));
    worker.Join([] { platform::ProcessPendingMessages(); });
  }

  TempFolder folder;
  PrivateRegistry registry;
  StringTable strings;
  RecordingPrompts prompts;
  platform::PlainDispatcher dispatcher;
  MainWindow log;
  CComponentLoader loader;
  CTestSuite suite; // after the loader: its test cases go before their module
  CHarnessSettings settings;
  CRunBookkeeping run;
  std::atomic<RunState> runState{RunState::Idle};
  FieldTexts fields;
  CRunStatusBar status;
  ListSurface surface;
  StringWindow resultsWindow;
  CRunRecord record;
  CUiCalls ui;
  RecordingRestart recordingRestart; // unless a test sets dosRestart
  DosRestart* dosRestart = nullptr;
  std::unique_ptr<CResultsView> results;
  std::unique_ptr<CRunEngine> engine;
  CRunWorker worker;
  std::vector<std::string> loaderLog;
  platform::HMODULE module = nullptr;
  std::string probeClass;
  void (*reset)(int) = nullptr;
  int (*executions)() = nullptr;
  std::string executionStatus = "Prebootbatch";
  std::vector<std::string> storedStatus;
  RunClock::time_point now = RunClock::time_point(std::chrono::seconds(1700000000));
  int logCleared = 0;
  int finished = 0;
};

} // namespace harness::test
