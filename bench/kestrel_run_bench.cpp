// The cost of the video input test: the CPU time of one three-minute run through the basic
// capture test's Execute (simulated live NTSC capture in YUY2 at 720x480 through the test
// filter to a counting sink) against gst-launch-1.0 of the same graph with identity in place
// of the filter, both in the same run (side by side, each its own process time). Reports
// both CPU times and their ratio. HALVEX_KESTREL_RUN_SECONDS shortens both runs alike.
#include "kestrel/basiccapturerun.h"
#include "kestrel/runtiming.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kGraphName = "vb Bench YUY2 720 NTSC.GRF";

std::string Graph(const std::string& filter, long frames)
{
  const std::string count = frames > 0 ? " num-buffers=" + std::to_string(frames) : "";
  return "sorrelsim standard=ntsc pattern=smpte-then-sw2" + count +
         " ! video/x-raw,format=YUY2,width=720,height=480,framerate=30000/1001 ! " + filter +
         " ! fakesink sync=false";
}

double Seconds(const timeval& t)
{
  return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double ProcessCpuSeconds()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// The build tree's (or installation's) plug-ins, beside this program's folder.
std::string PluginFolder()
{
  char path[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  const std::filesystem::path program(n > 0 ? std::string(path, size_t(n)) : ".");
  return (program.parent_path().parent_path() / "lib" / "halvex" / "gstreamer-1.0").string();
}

void BM_ThreeMinuteRunAgainstIdentity(benchmark::State& state)
{
  const kestrel::RunTiming timing = kestrel::RunTiming::FromEnvironment();
  const double runSeconds = (timing.startupCheckMs + timing.restOfRunMs) / 1000.0;
  const long frames = long(runSeconds * 30000 / 1001);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kestrel-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::ofstream(kGraphName) << Graph("sorrel name=\"Analog In Test\"", 0) << "\n";

  for (auto _ : state) {
    // The baseline in its own process, side by side with the test.
    const std::string launch = "gst-launch-1.0 -q " + Graph("identity", frames);
    const char* argv[] = {"/bin/sh", "-c", launch.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("gst-launch-1.0 could not be started");
      break;
    }
    const double before = ProcessCpuSeconds();
    kestrel::CBasicCaptureRun run({"YUY2", "Bench", "NTSC", 0, 720}, timing, folder.string());
    const uint32_t status = run.Execute();
    const double kestrelCpu = ProcessCpuSeconds() - before;
    int childStatus = 0;
    rusage usage{};
    wait4(child, &childStatus, 0, &usage);
    const double identityCpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    if (status != 6 || !WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) {
      state.SkipWithError("a run did not pass or did not end cleanly");
      break;
    }
    state.counters["kestrel_cpu_s"] = kestrelCpu;
    state.counters["identity_cpu_s"] = identityCpu;
    state.counters["cpu_ratio"] = identityCpu > 0 ? kestrelCpu / identityCpu : 0;
    state.counters["run_s"] = runSeconds;
  }
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ThreeMinuteRunAgainstIdentity)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
  const std::string plugins = PluginFolder();
  setenv("GST_PLUGIN_PATH", plugins.c_str(), 1);
  const std::string registry = (std::filesystem::temp_directory_path() /
                                ("kestrel-bench-registry-" + std::to_string(getpid())))
                                   .string();
  setenv("GST_REGISTRY", registry.c_str(), 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(registry.c_str());
  return 0;
}
