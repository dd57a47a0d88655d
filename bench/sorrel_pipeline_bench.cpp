// The cost of sorrel in a capture pipeline: simulated 720x480 YUY2 frames through sorrel
// (data-rate mode) against the same frames through identity, both to fakesink, non-live,
// in the same run. Prints frames per second of each and the ratio (goal: at least 2/3).
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kFramesPerRun = 300;

bool RunPipeline(const char* middle)
{
  const std::string description =
      "sorrelsim is-live=false num-buffers=" + std::to_string(kFramesPerRun) +
      " ! video/x-raw,format=YUY2,width=720,height=480 ! " + middle + " ! fakesink sync=false";
  GError* error = nullptr;
  GstElement* pipeline =
      gst_parse_launch_full(description.c_str(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
  if (!pipeline || error) {
    std::fprintf(stderr, "cannot build \"%s\": %s\n", description.c_str(),
                 error ? error->message : "no pipeline");
    if (error) {
      g_error_free(error);
    }
    if (pipeline) {
      gst_object_unref(pipeline);
    }
    return false;
  }
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* message = gst_bus_timed_pop_filtered(
      bus, GST_CLOCK_TIME_NONE, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
  if (message) {
    gst_message_unref(message);
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(bus);
  gst_object_unref(pipeline);
  return ok;
}

double ProcessCpuSeconds()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// "fps" counts wall time; "cpu_fps" the CPU time of all the process's threads, which holds
// steadier on a shared machine (the streaming threads do the work, not the benchmark's).
void BM_Pipeline(benchmark::State& state, const char* middle)
{
  double cpu = 0;
  for (auto _ : state) {
    const double before = ProcessCpuSeconds();
    if (!RunPipeline(middle)) {
      state.SkipWithError("pipeline failed");
      return;
    }
    cpu += ProcessCpuSeconds() - before;
  }
  const double frames = double(state.iterations()) * kFramesPerRun;
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["cpu_fps"] = cpu > 0 ? frames / cpu : 0;
}

BENCHMARK_CAPTURE(BM_Pipeline, identity_baseline, "identity")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Pipeline, sorrel, "sorrel")->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's frame rate to print the ratio after the run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) {
        continue;
      }
      // Keyed by the capture name: "identity_baseline" or "sorrel".
      const std::string name = run.benchmark_name();
      const std::string key = name.find("sorrel") != std::string::npos ? "sorrel" : "identity";
      for (const char* counter : {"fps", "cpu_fps"}) {
        auto found = run.counters.find(counter);
        if (found != run.counters.end()) {
          m_fps[key + "." + counter] = found->second.value;
        }
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> m_fps;
};

} // namespace

int main(int argc, char** argv)
{
  // The plug-ins are found beside the build's or installation's libraries.
  char exe[PATH_MAX] = {};
  if (readlink("/proc/self/exe", exe, sizeof exe - 1) > 0 && !std::getenv("GST_PLUGIN_PATH")) {
    const std::string dir = std::string(exe).substr(0, std::string(exe).rfind('/'));
    setenv("GST_PLUGIN_PATH", (dir + "/../lib/halvex/gstreamer-1.0").c_str(), 1);
  }
  gst_init(&argc, &argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* counter : {"fps", "cpu_fps"}) {
    const double baseline = reporter.m_fps[std::string("identity.") + counter];
    const double measured = reporter.m_fps[std::string("sorrel.") + counter];
    if (baseline > 0 && measured > 0) {
      std::printf("sorrel / identity %s: %.0f / %.0f = %.2f (goal >= 0.67)\n", counter, measured,
                  baseline, measured / baseline);
    }
  }
  benchmark::Shutdown();
  return 0;
}
