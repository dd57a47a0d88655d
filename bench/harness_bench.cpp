// The harness: start-up to the shown main window against a bare Qt main window, and log lines
// from four worker threads through the message path into the window and the file against the
// same lines written straight to a file.
#include "halvexapp.h"
#include "harness/logfile.h"
#include "harnessmessages.h"
#include "limitededit.h"
#include "mainframe.h"
#include "ourstatusbar.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "plinth/component.h"
#include "qtprompts.h"

#include <QApplication>
#include <QMainWindow>
#include <QThread>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

QApplication& App()
{
  static int argc = 1;
  static char name[] = "harness_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

QString BinFolder()
{
  return QString::fromStdString(platform::ProgramFolder() + "/../bin");
}

std::string TempFile(const char* name)
{
  return (std::filesystem::temp_directory_path() /
          (std::string("halvex-bench-") + std::to_string(::getpid()) + "-" + name))
      .string();
}

void ShowAndSettle(QWidget& window)
{
  window.show();
  while (!window.isVisible())
    QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

void BM_BareMainWindowShown(benchmark::State& state)
{
  App();
  for (auto _ : state) {
    QMainWindow window;
    ShowAndSettle(window);
  }
}
BENCHMARK(BM_BareMainWindowShown)->Unit(benchmark::kMillisecond);

void BM_HarnessMainFrameShown(benchmark::State& state)
{
  App();
  for (auto _ : state) {
    harness::CHalvexApp app;
    app.QtPrompts().SetUnattended(true);
    app.SetDefaults();
    if (!app.LoadResourceLibraries(BinFolder()) || !app.CreateMainFrame()) {
      state.SkipWithError("the resource libraries are not beside the benchmarks");
      break;
    }
    app.m_pStatusBar->Reset(1);
    ShowAndSettle(*app.m_pMainFrame);
    app.ExitInstance();
  }
}
BENCHMARK(BM_HarnessMainFrameShown)->Unit(benchmark::kMillisecond);

// Whole programs, started and ended: a bare Qt main window against halvex on a private
// registry, each ending once its window is shown.
void RunProgram(benchmark::State& state, const std::string& commandLine)
{
  for (auto _ : state) {
    platform::Process process;
    if (!process.Start(commandLine)) {
      state.SkipWithError(process.LastError().message.c_str());
      return;
    }
    process.Wait(platform::INFINITE);
  }
}

void BM_BareWindowProgram(benchmark::State& state)
{
  RunProgram(state, "\"" + platform::ProgramFolder() + "/harness_bare_window\"");
}
BENCHMARK(BM_BareWindowProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HalvexProgram(benchmark::State& state)
{
  std::string folder = TempFile("program");
  std::filesystem::create_directories(folder + "/run");
  std::filesystem::permissions(folder + "/run", std::filesystem::perms::owner_all);
  ::setenv("HALVEX_REGISTRY", (folder + "/registry.db").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
  ::setenv("HALVEX_UNATTENDED", "1", 1);
  ::setenv("HALVEX_QUIT_AFTER_MS", "0", 1);
  platform::HKEY key = nullptr;
  platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Halvex", 0, nullptr, 0,
                           platform::KEY_ALL_ACCESS, nullptr, &key, nullptr);
  auto set = [&](const char* name, const std::string& value) {
    platform::RegSetValueEx(key, name, 0, platform::REG_SZ,
                            reinterpret_cast<const platform::BYTE*>(value.c_str()),
                            static_cast<platform::DWORD>(value.size() + 1));
  };
  set("InstallationFolder", folder);
  set("INIFilesFolder", folder + "/");
  set("DefaultLoggingFolder", folder);
  set("LogFilePath", folder + "/HalvexLog.txt");
  set("ResultsFilePath", folder + "/HalvexResults.txt");
  set("TestSuitesFolder", folder);
  platform::RegCloseKey(key);
  // Standard error holds the unattended boxes; keep it out of the report.
  RunProgram(state,
             "/bin/sh -c \"exec '" + platform::ProgramFolder() + "/../bin/halvex' 2>/dev/null\"");
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_HalvexProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr int kWorkers = 4;

void BM_LogLinesStraightToFile(benchmark::State& state)
{
  const int lines = static_cast<int>(state.range(0));
  std::string path = TempFile("straight.txt");
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
      workers.emplace_back([&, w] {
        for (int i = 0; i < lines; ++i) {
          std::string line = "worker " + std::to_string(w) + " line " + std::to_string(i) + "\r\n";
          std::fputs(line.c_str(), file);
        }
      });
    for (auto& worker : workers)
      worker.join();
    std::fclose(file);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * kWorkers * lines);
}
BENCHMARK(BM_LogLinesStraightToFile)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LogLinesThroughMessages(benchmark::State& state)
{
  App();
  const int lines = static_cast<int>(state.range(0));
  harness::CHalvexApp app;
  app.QtPrompts().SetUnattended(true);
  app.SetDefaults();
  if (!app.LoadResourceLibraries(BinFolder()) || !app.CreateMainFrame()) {
    state.SkipWithError("the resource libraries are not beside the benchmarks");
    return;
  }
  guiLoggingLevel = 1;
  app.m_settings.m_nLogDateTime = 1;
  app.m_settings.m_strLogFilePath = TempFile("messages.txt");
  ShowAndSettle(*app.m_pMainFrame);
  std::atomic<long> timedOut{0};
  long sent = 0;
  for (auto _ : state) {
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
      workers.push_back(platform::StartThread([&, w] {
        for (int i = 0; i < lines; ++i) {
          std::string line = "worker " + std::to_string(w) + " line " + std::to_string(i);
          if (platform::SendTextToMainWindowTimeout(harness::g_uLogMessage, 1, line,
                                                    platform::SMTO_BLOCK,
                                                    harness::kLogSendTimeoutMs, nullptr) == 0)
            ++timedOut;
        }
        ++finished;
      }));
    // The user-interface thread keeps its event loop going, as it does in the program.
    while (finished.load() < kWorkers)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    for (auto& worker : workers)
      worker.join();
    sent += static_cast<long>(kWorkers) * lines;
  }
  while (platform::HasPendingMessages())
    QCoreApplication::processEvents();
  std::ifstream in(app.m_settings.m_strLogFilePath);
  long written = 0;
  for (std::string line; std::getline(in, line);)
    ++written;
  state.SetItemsProcessed(state.iterations() * kWorkers * lines);
  state.counters["timed_out"] = static_cast<double>(timedOut.load());
  state.counters["lost"] = static_cast<double>(sent - written);
  std::filesystem::remove(app.m_settings.m_strLogFilePath);
  app.ExitInstance();
}
BENCHMARK(BM_LogLinesThroughMessages)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
