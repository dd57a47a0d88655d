// The capture graph on real GStreamer pipelines: building from descriptions, finding the test
// filter, the handshake, and stopping a paused live capture while frames are on their way.
#include "kestrel/capturegraph.h"

#include "gstsorrel/gstsorrel.h"

#include "testsupport/gstenvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

const auto* const s_gst = ::testing::AddGlobalTestEnvironment(new testsupport::GstEnvironment);

// A fast live capture of small frames, so that some frame is always on its way downstream.
const char* const kFastCapture =
    "sorrelsim is-live=true width=80 height=60 frame-rate=500/1 pattern=flat"
    " ! video/x-raw,format=YUY2,width=80,height=60 ! sorrel name=\"Analog In Test\""
    " ! fakesink sync=false";

bool WaitRunning(kestrel::CCaptureGraph& graph)
{
  for (int polls = 0; polls < 300; ++polls) {
    if (graph.GetState(10) == kestrel::CCaptureGraph::State::Running)
      return true;
  }
  return false;
}

} // namespace

TEST(CaptureGraph, BuildsFindsTheFilterAndShakesHands)
{
  std::string error;
  ASSERT_TRUE(kestrel::CCaptureGraph::InitializeMedia(&error)) << error;
  kestrel::CCaptureGraph graph;
  ASSERT_TRUE(graph.Build(kFastCapture, &error)) << error;
  EXPECT_TRUE(graph.HasControl());
  EXPECT_FALSE(graph.FindFilter("Analog Out Test"));
  ASSERT_TRUE(graph.FindFilter("Analog In Test"));
  std::vector<uint8_t> block;
  EXPECT_EQ(graph.QueryVendorInfo(&block), GST_SORREL_OK);
  EXPECT_EQ(block.size(), size_t(GST_SORREL_RESULTS_BLOCK_SIZE));

  // A lone element is put in a pipeline of its own; it has no handshake.
  kestrel::CCaptureGraph lone;
  ASSERT_TRUE(lone.Build("identity name=\"Analog In Test\"", &error)) << error;
  ASSERT_TRUE(lone.FindFilter("Analog In Test"));
  EXPECT_EQ(lone.QueryVendorInfo(&block), kestrel::kHandshakeMissing);

  EXPECT_FALSE(graph.Build("fakesrc ! no_such_element", &error));
  EXPECT_NE(error.find("no_such_element"), std::string::npos) << error;
}

// Pausing leaves frames held in a sink's preroll; the stop must still get its end of stream
// through to every sink, every time.
TEST(CaptureGraph, APausedLiveCaptureStopsEveryTime)
{
  std::string error;
  ASSERT_TRUE(kestrel::CCaptureGraph::InitializeMedia(&error)) << error;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    kestrel::CCaptureGraph graph;
    ASSERT_TRUE(graph.Build(kFastCapture, &error)) << error;
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(WaitRunning(graph));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + round));
    graph.Pause();
    graph.StopWhenReady();
    bool stopped = false;
    for (int polls = 0; !stopped && polls < 50; ++polls)
      stopped = graph.PollStopped(100);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(graph.TakeErrors(), "");
  }
}
