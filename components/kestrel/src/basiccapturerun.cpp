// The basic capture run, step by step.
#include "kestrel/basiccapturerun.h"

#include "kestrel/capturegraph.h"
#include "kestrel/graphfile.h"

#include "gstsorrel/gstsorrel.h"
#include "plinth/testcase.h"
#include "skeleton/logmessage.h"
#include "skeleton/testmessages.h"
#include "sorrel/results_block.h"
#include "sorrel/results_report.h"

#include <chrono>
#include <thread>

namespace kestrel {

namespace {

using components::kLogError;
using components::kLogProgress;
using components::LogMessage;
using components::SendTestResultsText;
namespace blk = sorrel::block;

constexpr const char* kFilterName = "Analog In Test";
constexpr int kNtscFrameTimeMs = 33;
constexpr int kPalFrameTimeMs = 40;
// Polls of the graph's state while it starts and while it stops.
constexpr int kStatePolls = 300;
constexpr int kRunPollWaitMs = 10;
constexpr int kStopPollWaitMs = 100;

void Sleep(int milliseconds)
{
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool Decode(const std::vector<uint8_t>& block, sorrel::DecodedResults* results)
{
  std::string error;
  return sorrel::DecodeResultsBlock(block.data(), block.size(), results, &error);
}

uint8_t PhaseOf(const sorrel::DecodedResults& results)
{
  return results.flags & blk::kPhaseMask;
}

bool AnyFailed(const sorrel::DecodedResults& results)
{
  for (const sorrel::AssertionRecord& a : results.assertions)
    if (a.status == blk::STATUS_FAILED)
      return true;
  return false;
}

bool IsPlanar420(const std::string& fourcc)
{
  return fourcc == "IYUV" || fourcc == "I420";
}

} // namespace

int FrameTimeOfStandard(const std::string& standard)
{
  if (standard.empty())
    return -1;
  switch (standard[0]) {
  case 'N':
    return kNtscFrameTimeMs;
  case 'P':
  case 'S':
    return kPalFrameTimeMs;
  default:
    return -1;
  }
}

int Report(const sorrel::DecodedResults& block, int diagnostics)
{
  int verdict = kVerdictPassed;
  for (const std::string& line : sorrel::FormatReport(block, diagnostics != 0, &verdict))
    SendTestResultsText(line);
  return verdict == blk::STATUS_FAILED ? kVerdictFailed : kVerdictPassed;
}

bool IsConfigurationValid(const sorrel::DecodedResults& block, const BasicCaptureSettings& settings)
{
  const int frameTime = FrameTimeOfStandard(settings.standard);
  const bool fourccMatches = block.fourcc == settings.fourcc ||
                             (IsPlanar420(block.fourcc) && IsPlanar420(settings.fourcc));
  return block.version == blk::kVersion && PhaseOf(block) == blk::PHASE_CONFIGURATION &&
         block.standardName != "UNKNOWN" && block.frameTimeMs != -1 &&
         block.frameTimeMs == frameTime && (block.flags & blk::FLAG_CONFIG_OK) != 0 &&
         block.width == settings.width && fourccMatches;
}

CBasicCaptureRun::CBasicCaptureRun(const BasicCaptureSettings& settings, const RunTiming& timing,
                                   const std::string& graphsFolder)
    : m_settings(settings), m_timing(timing), m_strGraphsFolder(graphsFolder),
      m_strGraphName(
          GraphFileName(settings.vendor, settings.fourcc, settings.width, settings.standard)),
      m_nFrameTimeMs(FrameTimeOfStandard(settings.standard))
{
}

uint32_t CBasicCaptureRun::ConfigurationFailure(CCaptureGraph& graph)
{
  SendTestResultsText("The test configuration references test conditions described in:");
  SendTestResultsText(m_strGraphName);
  SendTestResultsText("The tests could not be run.  NO ASSERTIONS WERE TESTED.  Please fix the "
                      "configuration issues.");
  graph.Release();
  return kTestStatusNotRun;
}

void CBasicCaptureRun::LogGraphErrors(CCaptureGraph& graph) const
{
  const std::string errors = graph.TakeErrors();
  if (!errors.empty())
    LogMessage(kLogError, "ERROR (" + m_strGraphName + "): " + errors);
}

bool CBasicCaptureRun::Prepare(CCaptureGraph& graph, std::vector<uint8_t>* configuration)
{
  std::string error;
  if (!CCaptureGraph::InitializeMedia(&error)) {
    LogMessage(kLogError, "ERROR: GStreamer: " + error);
    SendTestResultsText("DirectX Media Configuration Problem?  Create IGraphBuilder failed");
    return false;
  }
  const std::string path = FindGraphFile(m_strGraphName, m_strGraphsFolder);
  std::string description;
  if (path.empty())
    error = "not found in the current folder nor in " + m_strGraphsFolder;
  else if (ReadGraphDescription(path, &description, &error))
    LogMessage(kLogProgress, "Video input test graph: " + path);
  if (description.empty() || !graph.Build(description, &error)) {
    LogMessage(kLogError, "ERROR (" + m_strGraphName + "): " + error);
    SendTestResultsText("Test Configuration Problem?  Unable to build filter graph!");
    return false;
  }
  if (!graph.HasControl()) {
    SendTestResultsText("DirectX Media Configuration Problem?  Query control failed");
    return false;
  }
  if (!graph.FindFilter(kFilterName)) {
    SendTestResultsText(
        "Test Configuration Problem!  Test filter Analog_In_Test not found in filter graph!");
    return false;
  }
  const int code = graph.QueryVendorInfo(configuration);
  if (code == GST_SORREL_E_OUTOFMEMORY) {
    SendTestResultsText(
        "System Configuration Problem?  Insufficient task memory to handshake with test "
        "filter!");
    return false;
  }
  sorrel::DecodedResults decoded;
  if (code != GST_SORREL_OK || !Decode(*configuration, &decoded)) {
    SendTestResultsText(
        "Test Configuration Problem!  Test filter Analog_In_Test version is incorrect!");
    return false;
  }
  return true;
}

uint32_t CBasicCaptureRun::Execute()
{
  CCaptureGraph graph;
  std::vector<uint8_t> block;
  if (!Prepare(graph, &block))
    return ConfigurationFailure(graph);

  sorrel::DecodedResults configuration;
  Decode(block, &configuration);
  block.clear();
  const bool valid = IsConfigurationValid(configuration, m_settings);
  const int verdict = Report(configuration, m_settings.diagnostics);
  const uint32_t result = verdict == kVerdictFailed ? kTestStatusFailed : kTestStatusNotRun;
  if (!valid) {
    SendTestResultsText(m_strGraphName);
    SendTestResultsText("Graph configuration is invalid, please fix graph");
    graph.Release();
    return result;
  }
  return Capture(graph, verdict, result);
}

uint32_t CBasicCaptureRun::Capture(CCaptureGraph& graph, int verdict, uint32_t result)
{
  const auto logError = [this](const std::string& error) {
    LogMessage(kLogError, "ERROR (" + m_strGraphName + "): " + error);
  };
  if (!graph.Run()) {
    LogGraphErrors(graph);
    SendTestResultsText("Test Configuration Problem?  Failed to put filter graph in run state!.");
    return ConfigurationFailure(graph);
  }
  CCaptureGraph::State state = graph.GetState(kRunPollWaitMs);
  for (int polls = 0; state == CCaptureGraph::State::Intermediate && polls < kStatePolls; ++polls) {
    Sleep(m_nFrameTimeMs);
    state = graph.GetState(kRunPollWaitMs);
  }
  if (state != CCaptureGraph::State::Running) {
    LogGraphErrors(graph);
    SendTestResultsText("Filter graph did not enter run state within >300 frame times!");
    graph.Release();
    return result;
  }

  SendTestResultsText("Test is running");
  graph.Wait(m_timing.startupCheckMs, logError);
  std::vector<uint8_t> block;
  sorrel::DecodedResults startup;
  const bool haveStartup =
      graph.QueryVendorInfo(&block) == GST_SORREL_OK && Decode(block, &startup);
  block.clear();
  if (!haveStartup) {
    SendTestResultsText("Unable to obtain test results from test filter!");
  } else if (PhaseOf(startup) == blk::PHASE_STARTUP) {
    verdict = AnyFailed(startup) ? kVerdictFailed : kVerdictPassed;
    if (verdict == kVerdictPassed)
      graph.Wait(m_timing.restOfRunMs, logError);
  } else {
    SendTestResultsText("Video failed to begin streaming, check your configuration.");
    verdict = kVerdictFailed;
  }

  graph.Pause();
  if (haveStartup && PhaseOf(startup) != blk::PHASE_CONFIGURATION)
    verdict = Report(startup, m_settings.diagnostics);

  graph.StopWhenReady();
  bool stopped = false;
  for (int polls = 0; !stopped && polls < kStatePolls; ++polls) {
    Sleep(m_nFrameTimeMs / 3);
    stopped = graph.PollStopped(kStopPollWaitMs);
  }
  LogGraphErrors(graph);
  if (!stopped) {
    SendTestResultsText("Filter graph did not enter stop state within >100 frame times!");
    graph.Release();
    return kTestStatusNotRun;
  }
  if (verdict == kVerdictFailed) {
    graph.Release();
    return kTestStatusFailed;
  }
  result = kTestStatusPassed;
  sorrel::DecodedResults full;
  const int code = graph.QueryVendorInfo(&block);
  if (code != GST_SORREL_OK) {
    result = kTestStatusNotRun;
    SendTestResultsText("Unable to obtain test results from test filter!");
  } else if (Decode(block, &full)) {
    if (Report(full, m_settings.diagnostics) == kVerdictFailed)
      result = kTestStatusFailed;
  } else {
    result = kTestStatusNotRun;
    SendTestResultsText("Test filter Analog_In_Test version is incorrect!");
  }
  graph.Release();
  return result;
}

} // namespace kestrel
