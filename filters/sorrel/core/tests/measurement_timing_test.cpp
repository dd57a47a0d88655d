// Timing of the measurement: the delivered frame rate of perfectly timed streams on both
// clocks, and the dropped frames that come too close together (half-second events).
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace sorrel {
namespace {

using namespace sorrel::testing;
using namespace sorrel::block;

// A wall clock that the test moves: frames arrive when the test says, and the results call
// comes whenever it comes, as on a live capture.
class SteppedClock : public AnalysisClock
{
public:
  explicit SteppedClock(std::shared_ptr<std::atomic<int64_t>> ns) : m_ns(std::move(ns)) {}
  ClockReading Now() const override
  {
    const int64_t ns = *m_ns;
    return {ns / 1000000000, ns};
  }
  int64_t Frequency() const override { return 1000000000; }

private:
  std::shared_ptr<std::atomic<int64_t>> m_ns;
};

std::string RateLine(const DecodedResults& r)
{
  const std::vector<std::string> lines = LinesOf(r, 2, 2);
  return lines.empty() ? "" : lines[0];
}

// N frames span N-1 frame times; a perfectly timed stream measures its own rate, however
// short, and however long after its last frame the results call comes.
TEST(FrameRateTest, PerfectlyTimedStreamsMeasureTheirTrueRate)
{
  struct Case
  {
    const char* name;
    int64_t frameTime; // 100 ns units of the format
    int num, den;      // the true rate
    int frames;
    bool wallClock;
    const char* line;
  };
  const Case cases[] = {
      {"NTSC 1000 frames, stream clock", kNtscFrame, 30000, 1001, 1000, false, "29.970"},
      {"NTSC 1000 frames, wall clock", kNtscFrame, 30000, 1001, 1000, true, "29.970"},
      {"NTSC 5395 frames, stream clock", kNtscFrame, 30000, 1001, 5395, false, "29.970"},
      {"NTSC 5395 frames, wall clock", kNtscFrame, 30000, 1001, 5395, true, "29.970"},
      {"PAL 760 frames, wall clock", kPalFrame, 25, 1, 760, true, "25.000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto now = std::make_shared<std::atomic<int64_t>>(0);
    FedFilter fed(kFourccYUY2, 80, 60, c.frameTime);
    if (c.wallClock) {
      ASSERT_TRUE(fed.filter.SetClock(std::make_unique<SteppedClock>(now)));
    }
    int64_t end = 0;
    for (int k = 1; k <= c.frames; ++k) {
      end = int64_t(k) * 1000000000 * c.den / c.num;
      *now = end + 3000000; // arrives a little after its end
      fed.Deliver(end);
    }
    // The graph pauses and stops before the last results call: time passes, frames don't.
    fed.filter.MarkStreamStopped();
    *now += 400000000;
    const DecodedResults r = fed.Results();
    const AssertionRecord* a = FindAssertion(r, 2, 2);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->status, STATUS_PASSED);
    EXPECT_EQ(RateLine(r), std::string("\tMeasured frame rate during test was ") + c.line + "fps");
  }
}

// A capture that goes quiet while it should deliver has the quiet time counted: the frames
// it did deliver are not judged as if the stall had not happened. Two frame times of quiet
// are the capture's own rhythm, not a stall.
TEST(FrameRateTest, AStalledCaptureShowsItsStall)
{
  struct Case
  {
    const char* name;
    double quietBeforeStop; // seconds after the last frame's arrival; < 0: no stop yet
    double resultsAfter;    // seconds after the last frame's arrival
    const char* line;
    int32_t status;
  };
  const Case cases[] = {
      {"stopped at once, asked late", 0.003, 9.0, "29.970", STATUS_PASSED},
      {"asked while running, in rhythm", -1, 0.060, "29.970", STATUS_PASSED},
      {"quiet for 3 s before the stop", 3.0, 9.0, "29.489", STATUS_FAILED},
      {"quiet for 3 s while running", -1, 3.0, "29.489", STATUS_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto now = std::make_shared<std::atomic<int64_t>>(0);
    FedFilter fed(kFourccYUY2, 80, 60);
    ASSERT_TRUE(fed.filter.SetClock(std::make_unique<SteppedClock>(now)));
    int64_t last = 0;
    for (int k = 0; k < 5395; ++k) {
      last = int64_t(k) * 1001000000 / 30;
      *now = last;
      fed.Deliver(last);
    }
    if (c.quietBeforeStop >= 0) {
      *now = last + int64_t(c.quietBeforeStop * 1e9);
      fed.filter.MarkStreamStopped();
    }
    *now = last + int64_t(c.resultsAfter * 1e9);
    const DecodedResults r = fed.Results();
    EXPECT_EQ(RateLine(r), std::string("\tMeasured frame rate during test was ") + c.line + "fps");
    EXPECT_EQ(FindAssertion(r, 2, 2)->status, c.status);
  }
}

// A frame after a stop withdraws it: the capture went on.
TEST(FrameRateTest, AFrameAfterAStopWithdrawsIt)
{
  auto now = std::make_shared<std::atomic<int64_t>>(0);
  FedFilter fed(kFourccYUY2, 80, 60);
  ASSERT_TRUE(fed.filter.SetClock(std::make_unique<SteppedClock>(now)));
  int64_t last = 0;
  for (int k = 0; k < 1000; ++k) {
    last = int64_t(k) * 1001000000 / 30;
    *now = last;
    fed.Deliver(last);
    if (k == 500) {
      fed.filter.MarkStreamStopped(); // a pause the graph came back from at once
    }
  }
  *now = last + 5000000000; // asked five seconds after the last frame, still running
  EXPECT_EQ(RateLine(fed.Results()), "\tMeasured frame rate during test was 26.106fps");
}

// The time a graph stands paused is no capture time: frames after it, or a stop after it,
// leave the rate of a perfectly timed capture its true rate.
TEST(FrameRateTest, TheTimePausedLeavesTheSpan)
{
  struct Case
  {
    const char* name;
    int pauseAfterFrame; // the graph pauses after this frame and plays again 4 s later
    int frames;
  };
  const Case cases[] = {
      {"paused in the middle of the run", 2000, 5395},
      {"paused after the last frame, then stopped", 5394, 5395},
      {"paused after the first frame", 0, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto now = std::make_shared<std::atomic<int64_t>>(0);
    FedFilter fed(kFourccYUY2, 80, 60);
    ASSERT_TRUE(fed.filter.SetClock(std::make_unique<SteppedClock>(now)));
    int64_t shift = 0;
    for (int k = 0; k < c.frames; ++k) {
      const int64_t arrival = int64_t(k) * 1001000000 / 30 + shift;
      *now = arrival;
      fed.Deliver(arrival);
      if (k == c.pauseAfterFrame) {
        *now = arrival + 3000000;
        fed.filter.MarkStreamStopped();
        *now += 4000000000;
        fed.filter.MarkStreamResumed();
        shift += 4000000000; // the capture goes on in its own rhythm
      }
    }
    *now += 20000000;
    fed.filter.MarkStreamStopped(); // the end of stream
    *now += 9000000000;
    const DecodedResults r = fed.Results();
    EXPECT_EQ(RateLine(r), "\tMeasured frame rate during test was 29.970fps");
    EXPECT_EQ(FindAssertion(r, 2, 2)->status, STATUS_PASSED);
  }
}

TEST(FrameRateTest, TheStartupRateIsTheTrueRateToo)
{
  FedFilter fed(kFourccYUY2, 80, 60);
  fed.DeliverAtRate(300, 30000.0 / 1001); // ten seconds of frames
  const DecodedResults r = fed.Results();
  ASSERT_EQ(r.flags & kPhaseMask, PHASE_STARTUP);
  EXPECT_EQ(LinesOf(r, 2, 1), std::vector<std::string>{"\tStartup frame rate was 29.970fps"});
}

TEST(FrameRateTest, NoRateBeforeTwoFramesSpanAnyTime)
{
  FedFilter fed(kFourccYUY2, 80, 60);
  fed.Deliver(40000000000); // one frame, 40 s into the stream
  const DecodedResults r = fed.Results();
  EXPECT_EQ(LinesOf(r, 2, 1), std::vector<std::string>{"\tStartup frame rate was 0.000fps"});
  EXPECT_EQ(FindAssertion(r, 2, 1)->status, STATUS_FAILED);
}

// More than two dropped frames within half a second of capture is one event; each event
// needs three drops of its own.
TEST(HalfSecondTest, ThreeDroppedFramesWithinHalfASecondAreAnEvent)
{
  struct Case
  {
    const char* name;
    std::vector<int> dropped; // frame numbers, 29.97 frames a second
    int events;
  };
  const Case cases[] = {
      {"none", {}, 0},
      {"two close together", {100, 101}, 0},
      {"three within 14 frame times", {100, 107, 114}, 1},
      {"three over 15 frame times", {100, 107, 115}, 0},
      {"three spread, then two close to the last", {100, 200, 300, 305, 310}, 1},
      {"six in a row", {100, 101, 102, 103, 104, 105}, 2},
      {"five in a row", {100, 101, 102, 103, 104}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(kFourccYUY2, 80, 60);
    for (int k = 0; k <= 1000; ++k) {
      const bool drop = std::find(c.dropped.begin(), c.dropped.end(), k) != c.dropped.end();
      fed.Deliver(int64_t(k) * 1001000000 / 30, drop ? fed.Run(20) : std::vector<ByteRange>{});
    }
    EXPECT_EQ(fed.filter.HalfSecondEvents(), c.events);
    const DecodedResults r = fed.Results();
    ASSERT_EQ(r.flags & kPhaseMask, PHASE_FULL);
    EXPECT_EQ(FindAssertion(r, 2, 5)->status, c.events == 0 ? STATUS_PASSED : STATUS_FAILED);
    char line[80];
    std::snprintf(line, sizeof line, "\tFrames dropped within one half second %d times", c.events);
    EXPECT_EQ(LinesOf(r, 2, 5), std::vector<std::string>{line});
  }
}

} // namespace
} // namespace sorrel
