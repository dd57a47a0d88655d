// Parsing an .ini definition of many test cases against reading the same file's bytes.
#include "marlow/inisuite.h"

#include "plinth/component.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string DefinitionFile(int testCases)
{
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("halvex-ini-bench-" + std::to_string(getpid()) + "-" + std::to_string(testCases) + ".ini"))
          .string();
  std::ofstream out(path);
  out << "[test suite]\nFriendlyName=Bench\nSummaryLog=s.log\nLogEditor=parlo\n";
  for (int n = 1; n <= testCases; ++n)
    out << "[test case" << n << "]\nFriendlyName=Case " << n
        << "\nReturn=WINDOWS\nImage=probe.sh\nCmdline=./probe.sh pass /tmp/l" << n
        << ".log\nLogfile=/tmp/l" << n << ".log\nMaxExecutionTime=60000\n";
  return path;
}

// Baseline: the file's bytes into memory.
void BM_ReadFileBaseline(benchmark::State& state)
{
  const std::string path = DefinitionFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    benchmark::DoNotOptimize(text.str());
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_ReadFileBaseline)->Arg(10)->Arg(100);

void BM_ParseDefinition(benchmark::State& state)
{
  guiLoggingLevel = 0;
  const std::string path = DefinitionFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CIniSuite suite;
    benchmark::DoNotOptimize(suite.Parse(path));
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_ParseDefinition)->Arg(10)->Arg(100);

} // namespace

BENCHMARK_MAIN();
