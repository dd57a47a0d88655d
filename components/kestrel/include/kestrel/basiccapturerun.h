// One run of the basic capture functionality test: the graph named by the test's parameters is
// built, its test filter's configuration judged, the capture run for three minutes with the
// startup checked after ten seconds, and every report the filter gives sent to the results
// window. Runs on the thread that executes test cases; blocks it for the whole run.
#pragma once

#include "kestrel/runtiming.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sorrel {
struct DecodedResults;
}

namespace kestrel {

class CCaptureGraph;

// The test's parameters, as the test case holds them.
struct BasicCaptureSettings
{
  std::string fourcc;
  std::string vendor;
  std::string standard;
  int diagnostics = 0;
  int width = 0;
};

// The report verdicts: some assertion failed, or none did.
inline constexpr int kVerdictFailed = 3;
inline constexpr int kVerdictPassed = 4;

// Frame time in ms of a standard by its first letter: 33 for 'N', 40 for 'P' or 'S', else -1.
int FrameTimeOfStandard(const std::string& standard);

// Sends one report line per message: group banners, text lines, assertions, and the
// diagnostic lines of each assertion when `diagnostics` is not 0. Returns kVerdictFailed when
// an assertion failed, else kVerdictPassed.
int Report(const sorrel::DecodedResults& block, int diagnostics);

// Whether the configuration block describes the graph the settings ask for.
bool IsConfigurationValid(const sorrel::DecodedResults& block,
                          const BasicCaptureSettings& settings);

class CBasicCaptureRun
{
public:
  // graphsFolder is where the graph file is looked for when the current folder lacks it.
  CBasicCaptureRun(const BasicCaptureSettings& settings, const RunTiming& timing,
                   const std::string& graphsFolder);

  // The test status: kTestStatusPassed, kTestStatusFailed or kTestStatusNotRun.
  uint32_t Execute();

private:
  // The three lines that say the configuration is broken; not run.
  uint32_t ConfigurationFailure(CCaptureGraph& graph);
  // Builds the graph and shakes hands with its filter; false after the problem's report line.
  bool Prepare(CCaptureGraph& graph, std::vector<uint8_t>* configuration);
  // Runs, checks the startup, runs on and stops; the run's status from `verdict` on.
  uint32_t Capture(CCaptureGraph& graph, int verdict, uint32_t result);
  void LogGraphErrors(CCaptureGraph& graph) const;

  BasicCaptureSettings m_settings;
  RunTiming m_timing;
  std::string m_strGraphsFolder;
  std::string m_strGraphName;
  int m_nFrameTimeMs;
};

} // namespace kestrel
