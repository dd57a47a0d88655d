// Start-to-exit latency of /bin/true through the process layer, against fork, exec and
// waitpid by hand.
#include "platform/process.h"

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

void BM_ForkExecWaitpid(benchmark::State& state)
{
  for (auto _ : state) {
    pid_t pid = fork();
    if (pid == 0) {
      execl("/bin/true", "true", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    benchmark::DoNotOptimize(status);
  }
}
BENCHMARK(BM_ForkExecWaitpid)->UseRealTime();

void BM_ProcessStartWait(benchmark::State& state)
{
  for (auto _ : state) {
    platform::Process process;
    if (!process.Start("/bin/true")) {
      state.SkipWithError("cannot start /bin/true");
      break;
    }
    benchmark::DoNotOptimize(process.Wait(platform::INFINITE));
  }
}
BENCHMARK(BM_ProcessStartWait)->UseRealTime();

void BM_ProcessStartWaitWithTimeout(benchmark::State& state)
{
  for (auto _ : state) {
    platform::Process process;
    if (!process.Start("/bin/true")) {
      state.SkipWithError("cannot start /bin/true");
      break;
    }
    benchmark::DoNotOptimize(process.Wait(10000));
  }
}
BENCHMARK(BM_ProcessStartWaitWithTimeout)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
