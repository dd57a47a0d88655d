// Marlow's Execute of a test program that writes a 100-line tagged log and ends, against
// starting the same program, waiting for it and reading its log by hand, in the same run.
// Prints both times and the ratio Execute / by hand (goal: within 3).
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"

#include "platform/subreaper.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr const char* kProgram = R"(#!/bin/sh
# Writes a passing tagged log of 100 lines to $1.
{
  echo "[Test>]bench"
  echo "[Case>]registers"
  i=0
  while [ $i -lt 96 ]; do
    echo "[     ]register $i read back"
    i=$((i + 1))
  done
  echo "[ Pass]all registers read back"
  echo "[<Case]registers"
} >"$1"
)";

struct Installation
{
  std::filesystem::path folder;
  std::string program, log;
  std::unique_ptr<CIniComponent> component;

  Installation()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "marlow-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    program = (folder / "probe.sh").string();
    log = (folder / "probe.log").string();
    std::ofstream(program) << kProgram;
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::ofstream(folder / "bench.ini")
        << "[test suite]\nFriendlyName=Bench\nSummaryLog=s\nLogEditor=e\n[test case1]\n"
           "FriendlyName=Probe\nImage=probe.sh\nCmdline=./probe.sh ./probe.log\n"
           "Logfile=./probe.log\nMaxExecutionTime=20000\n";
    component = std::make_unique<CIniComponent>(nullptr, (folder / "bench.ini").string());
    component->m_strResultsFilePath = (folder / "results.txt").string();
    components::SetCurrentComponent(component.get());
  }
  ~Installation()
  {
    component.reset();
    std::filesystem::remove_all(folder);
  }
};

Installation* gInstallation = nullptr;

void BM_SpawnWaitRead(benchmark::State& state)
{
  char* argv[] = {gInstallation->program.data(), gInstallation->log.data(), nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start the program");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(gInstallation->log);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().find("[ Pass]") == std::string::npos) {
      state.SkipWithError("the log holds no pass");
      break;
    }
  }
}
BENCHMARK(BM_SpawnWaitRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Execute(benchmark::State& state)
{
  CTestCase* testCase = gInstallation->component->m_TestCaseList.front();
  for (auto _ : state) {
    if (testCase->Execute() != kTestStatusPassed) {
      state.SkipWithError("Execute did not pass");
      break;
    }
  }
}
BENCHMARK(BM_Execute)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
  // As in the harness: what a program leaves behind comes to this program.
  platform::BecomeChildSubreaper();
  Installation installation;
  gInstallation = &installation;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_Execute/real_time", "BM_SpawnWaitRead/real_time");
  gInstallation = nullptr;
  benchmark::Shutdown();
  return 0;
}
