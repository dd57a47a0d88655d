// The dropped-sample scan in all six layouts, fed by the pattern writer as a capture driver.
#include "sorrel/drop_scan.h"
#include "sorrel/pattern_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sorrel {
namespace {

constexpr Layout kLayouts[] = {Layout::YUY2, Layout::UYVY, Layout::Y41P,
                               Layout::IYUV, Layout::YV12, Layout::YVU9};

// A recycled capture buffer: the driver writes a grey frame into it, leaving some bytes.
class Capture
{
public:
  Capture(Layout layout, int width, int height)
      : geometry(layout, width, height), frame(RenderFlat(geometry).Pack()),
        buffer(geometry.FrameSize(), 0)
  {
  }

  DropScanResult Deliver(const std::vector<ByteRange>& unwritten, uint8_t* paint = nullptr)
  {
    WriteFrame(frame, buffer.data(), buffer.size(), unwritten);
    DropScanResult result;
    EXPECT_TRUE(ScanFrame(geometry, buffer.data(), buffer.size(), {nullptr, paint, buffer.size()},
                          &result));
    return result;
  }

  // The luma bytes of n pixels from (x, y) onwards along the row.
  std::vector<ByteRange> LumaRun(int x, int y, int n) const
  {
    std::vector<ByteRange> ranges;
    for (int k = 0; k < n; ++k) {
      ranges.push_back({geometry.LumaOffset(x + k, y), 1});
    }
    return ranges;
  }

  FrameGeometry geometry;
  std::vector<uint8_t> frame;
  std::vector<uint8_t> buffer;
};

uint32_t Longest(const DropScanResult& r)
{
  return r.summary & kSummaryLongestMask;
}
uint32_t Runs(const DropScanResult& r)
{
  return (r.summary & kSummaryCountMask) >> 16;
}
bool LongRun(const DropScanResult& r)
{
  return (r.summary & kSummaryLongRun) != 0;
}

TEST(DropScanTest, FullyWrittenBuffersHaveNoDropsAndLeaveMarkers)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    Capture capture(layout, 80, 60);
    // The buffer starts full of 255s: a fully written first use still shows nothing.
    std::fill(capture.buffer.begin(), capture.buffer.end(), 255);
    for (int use = 0; use < 3; ++use) {
      const DropScanResult r = capture.Deliver({});
      EXPECT_EQ(r.dropped, 0u);
      EXPECT_EQ(r.summary, 0u);
    }
    for (size_t at = 0; at < capture.buffer.size(); ++at) {
      ASSERT_EQ(capture.buffer[at], MarkerAt(capture.geometry, at)) << "offset " << at;
      ASSERT_GE(capture.buffer[at], 1);
      ASSERT_LE(capture.buffer[at], 4);
    }
  }
}

TEST(DropScanTest, RunsAtStartMiddleAndEnd)
{
  struct Case
  {
    const char* name;
    int x, y, n;
    bool atEnd; // the run reaches the end of the scan and so is never closed
  };
  const Case cases[] = {
      {"start", 0, 0, 8, false},       {"middle", 24, 30, 12, false},
      {"run of 16", 8, 10, 16, false}, {"run of 17", 8, 10, 17, false},
      {"end", 80 - 8, 59, 8, true},
  };
  for (Layout layout : kLayouts) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(LayoutName(layout)) + " " + c.name);
      Capture capture(layout, 80, 60);
      capture.Deliver({});
      const DropScanResult r = capture.Deliver(capture.LumaRun(c.x, c.y, c.n));
      EXPECT_EQ(r.dropped, uint32_t(c.n));
      if (c.atEnd) {
        EXPECT_EQ(Runs(r), 0u);
        EXPECT_EQ(Longest(r), 0u);
        EXPECT_FALSE(LongRun(r));
      } else {
        EXPECT_EQ(Runs(r), 1u);
        EXPECT_EQ(Longest(r), uint32_t(c.n));
        EXPECT_EQ(LongRun(r), c.n > 16);
      }
      // The dropped bytes now hold 255, so the next clean frame is clean again.
      EXPECT_EQ(capture.Deliver({}).dropped, 0u);
    }
  }
}

TEST(DropScanTest, SeparateDropsCountEachSample)
{
  for (int n : {100, 101}) {
    for (Layout layout : kLayouts) {
      SCOPED_TRACE(std::string(LayoutName(layout)) + " " + std::to_string(n));
      Capture capture(layout, 80, 60);
      capture.Deliver({});
      std::vector<ByteRange> unwritten;
      for (int k = 0; k < n; ++k) {
        // One pixel in every other 8-pixel stretch: separate groups, clean groups between.
        for (const ByteRange& r : capture.LumaRun(8 * (k % 10), 2 + 4 * (k / 10), 1)) {
          unwritten.push_back(r);
        }
      }
      const DropScanResult r = capture.Deliver(unwritten);
      EXPECT_EQ(r.dropped, uint32_t(n));
      EXPECT_EQ(Runs(r), uint32_t(n));
      EXPECT_EQ(Longest(r), 1u);
    }
  }
}

TEST(DropScanTest, DroppedChromaCountsTheWholeGroup)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    Capture capture(layout, 80, 60);
    capture.Deliver({});
    const FrameGeometry& g = capture.geometry;
    const uint32_t group = uint32_t(g.ChromaStepX() * g.ChromaStepY());
    const DropScanResult r = capture.Deliver({{g.CbOffset(3, 3), 1}});
    EXPECT_EQ(r.dropped, group);
    EXPECT_EQ(Longest(r), group);
  }
}

TEST(DropScanTest, FirstUseOfABufferSeesOnlyMarkerValues)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    Capture capture(layout, 80, 60);
    // Zeros are no marker: bytes the driver skips on first use go unnoticed...
    const auto unwritten = capture.LumaRun(10, 10, 5);
    EXPECT_EQ(capture.Deliver(unwritten).dropped, 0u);
    // ...and are caught from the second use on.
    EXPECT_EQ(capture.Deliver(unwritten).dropped, 5u);
  }
}

TEST(DropScanTest, PaintsDroppedGroupsRed)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    Capture capture(layout, 80, 60);
    capture.Deliver({});
    std::vector<uint8_t> output = capture.frame;
    const FrameGeometry& g = capture.geometry;
    capture.Deliver(capture.LumaRun(16, 20, 1), output.data());
    EXPECT_EQ(output[g.LumaOffset(16, 20)], kPaintLuma);
    const int i = 16 / g.ChromaStepX(), j = 20 / g.ChromaStepY();
    EXPECT_EQ(output[g.CbOffset(i, j)], kPaintCb);
    EXPECT_EQ(output[g.CrOffset(i, j)], kPaintCr);
    // The neighbour group is untouched.
    EXPECT_EQ(output[g.LumaOffset(16 + 2 * g.ChromaStepX(), 20)], 128);
    size_t painted = 0;
    for (size_t at = 0; at < output.size(); ++at) {
      painted += output[at] != capture.frame[at] ? 1 : 0;
    }
    EXPECT_EQ(painted, size_t(g.ChromaStepX() * g.ChromaStepY() + 2));
  }
}

TEST(DropScanTest, RefusesShortPlanarBuffersAndMisfitSizes)
{
  std::vector<uint8_t> buffer(100, 0);
  DropScanResult r;
  EXPECT_FALSE(
      ScanFrame(FrameGeometry(Layout::IYUV, 80, 60), buffer.data(), buffer.size(), {}, &r));
  EXPECT_FALSE(
      ScanFrame(FrameGeometry(Layout::YUY2, 81, 60), buffer.data(), buffer.size(), {}, &r));
  EXPECT_FALSE(
      ScanFrame(FrameGeometry(Layout::Y41P, 84, 60), buffer.data(), buffer.size(), {}, &r));
  // Packed buffers are scanned as far as they go, whole units only.
  EXPECT_TRUE(ScanFrame(FrameGeometry(Layout::YUY2, 80, 60), buffer.data(), 99, {}, &r));
  EXPECT_EQ(buffer[98], 0);
  EXPECT_EQ(buffer[95], 4);
}

} // namespace
} // namespace sorrel

namespace sorrel {
namespace {

// The scan written the plain way, group by group in scan order, to check the fast paths.
DropScanResult ReferenceScan(const FrameGeometry& g, std::vector<uint8_t>& buffer)
{
  uint32_t dropped = 0, run = 0, longest = 0, count = 0;
  bool longRun = false;
  auto take = [&](size_t at) {
    const bool hit = buffer[at] == MarkerAt(g, at) || buffer[at] == 255;
    buffer[at] = hit ? 255 : MarkerAt(g, at);
    return hit;
  };
  const uint32_t size = uint32_t(g.ChromaStepX() * g.ChromaStepY());
  for (int j = 0; j < g.ChromaHeight(); ++j) {
    for (int i = 0; i < g.ChromaWidth(); ++i) {
      uint32_t d = 0;
      for (int y = j * g.ChromaStepY(); y < (j + 1) * g.ChromaStepY(); ++y) {
        for (int x = i * g.ChromaStepX(); x < (i + 1) * g.ChromaStepX(); ++x) {
          d += take(g.LumaOffset(x, y)) ? 1 : 0;
        }
      }
      const bool cb = take(g.CbOffset(i, j));
      const bool cr = take(g.CrOffset(i, j));
      if (cb || cr || d == size) {
        dropped += size;
        run += size;
      } else if (d > 0) {
        dropped += d;
        run += d;
      } else if (run > 0) {
        longRun = longRun || run > 16;
        longest = std::max(longest, run);
        ++count;
        run = 0;
      }
    }
  }
  return {dropped, longest | count << 16 | (longRun ? kSummaryLongRun : 0)};
}

// A small fixed-sequence generator, so every run sees the same frames.
class Random
{
public:
  explicit Random(uint32_t seed) : m_seed(seed) {}
  uint32_t operator()()
  {
    m_seed = m_seed * 1103515245 + 12345;
    return m_seed >> 16;
  }

private:
  uint32_t m_seed;
};

TEST(DropScanTest, FastPathsAgreeWithTheGroupByGroupScan)
{
  Random random(12345);
  for (Layout layout : kLayouts) {
    // 184x100 leaves a tail shorter than a vector block in the packed layouts.
    for (auto [width, height] : {std::pair{360, 240}, std::pair{176, 144}, std::pair{184, 100}}) {
      const FrameGeometry g(layout, width, height);
      for (int density : {0, 1, 20, 400}) {
        SCOPED_TRACE(std::string(LayoutName(layout)) + " " + std::to_string(width) + " density " +
                     std::to_string(density));
        // Clean grey, with marker-like bytes sprinkled in runs of random length.
        std::vector<uint8_t> original = RenderFlat(g).Pack();
        for (int k = 0; k < density; ++k) {
          const size_t at = random() % original.size();
          const size_t length = 1 + random() % 40;
          for (size_t b = at; b < std::min(original.size(), at + length); ++b) {
            original[b] = random() % 3 == 0 ? 255 : MarkerAt(g, b);
          }
        }
        std::vector<uint8_t> expected = original;
        const DropScanResult want = ReferenceScan(g, expected);
        std::vector<uint8_t> paintedBy[2];
        for (ScanPath path : {ScanPath::Best, ScanPath::Portable}) {
          SCOPED_TRACE(path == ScanPath::Best ? "best" : "portable");
          std::vector<uint8_t> buffer = original;
          std::vector<uint8_t>& paint = paintedBy[path == ScanPath::Best ? 0 : 1];
          paint.assign(buffer.size(), 0);
          DropScanResult got;
          ASSERT_TRUE(ScanFrame(g, buffer.data(), buffer.size(),
                                {nullptr, paint.data(), paint.size()}, &got, path));
          EXPECT_EQ(got.dropped, want.dropped);
          EXPECT_EQ(got.summary, want.summary);
          EXPECT_TRUE(buffer == expected);
        }
        EXPECT_TRUE(paintedBy[0] == paintedBy[1]);
        // Painting marks exactly the groups with drops: none in a clean frame.
        EXPECT_EQ(std::count(paintedBy[0].begin(), paintedBy[0].end(), 0) ==
                      std::ptrdiff_t(paintedBy[0].size()),
                  want.dropped == 0);
      }
    }
  }
}

// Padded rows: the scan of the samples agrees with the group-by-group scan, runs go on from
// one row to the next, padding bytes (here 255, which reads as dropped) stay untouched, and
// painting lands in a target laid out without padding.
TEST(DropScanTest, PaddedRowsAreScannedThroughTheirStrides)
{
  Random random(777);
  for (Layout layout : kLayouts) {
    const FrameGeometry tight(layout, 184, 100);
    PlaneLayout planes;
    size_t at = 40;
    for (int c = 0; c < tight.PlaneCount(); ++c) {
      planes.offset[c] = at;
      planes.stride[c] = tight.RowBytes(c) + 20 + 4 * size_t(c);
      at += planes.stride[c] * size_t(tight.Rows(c)) + 8;
    }
    const FrameGeometry g(layout, 184, 100, planes);
    ASSERT_FALSE(g.IsTight());
    for (ScanPath path : {ScanPath::Best, ScanPath::Portable}) {
      SCOPED_TRACE(std::string(LayoutName(layout)) +
                   (path == ScanPath::Best ? " best" : " portable"));
      std::vector<uint8_t> original(g.FrameSize(), 255);
      const std::vector<uint8_t> picture = RenderFlat(g).Pack();
      std::vector<bool> sample(original.size(), false);
      for (int c = 0; c < g.PlaneCount(); ++c) {
        for (int r = 0; r < g.Rows(c); ++r) {
          const size_t row = planes.offset[c] + planes.stride[c] * size_t(r);
          for (size_t b = row; b < row + g.RowBytes(c); ++b) {
            original[b] = picture[b];
            sample[b] = true;
          }
        }
      }
      // Marker-like bytes in runs, some of them across the end of a row.
      for (int k = 0; k < 60; ++k) {
        const size_t from = random() % original.size();
        for (size_t b = from; b < std::min(original.size(), from + 1 + random() % 30); ++b) {
          if (sample[b]) {
            original[b] = random() % 3 == 0 ? 255 : MarkerAt(g, b);
          }
        }
      }
      std::vector<uint8_t> expected = original;
      const DropScanResult want = ReferenceScan(g, expected);
      ASSERT_GT(want.dropped, 0u);
      std::vector<uint8_t> buffer = original;
      std::vector<uint8_t> paint(tight.FrameSize(), 0);
      DropScanResult got;
      ASSERT_TRUE(ScanFrame(g, buffer.data(), buffer.size(), {&tight, paint.data(), paint.size()},
                            &got, path));
      EXPECT_EQ(got.dropped, want.dropped);
      EXPECT_EQ(got.summary, want.summary);
      EXPECT_TRUE(buffer == expected) << "only samples are marked";
      // Exactly the groups with a drop are painted, at their place in the tight target.
      for (int j = 0; j < g.ChromaHeight(); ++j) {
        for (int i = 0; i < g.ChromaWidth(); ++i) {
          bool dropped = expected[g.CbOffset(i, j)] == 255 || expected[g.CrOffset(i, j)] == 255;
          for (int y = j * g.ChromaStepY(); y < (j + 1) * g.ChromaStepY(); ++y) {
            for (int x = i * g.ChromaStepX(); x < (i + 1) * g.ChromaStepX(); ++x) {
              dropped = dropped || expected[g.LumaOffset(x, y)] == 255;
            }
          }
          const int x = i * g.ChromaStepX(), y = j * g.ChromaStepY();
          EXPECT_EQ(paint[tight.LumaOffset(x, y)] == kPaintLuma, dropped) << i << "," << j;
        }
      }
      EXPECT_GT(std::count(paint.begin(), paint.end(), kPaintLuma), 0);
    }
    // Strides shorter than a row, and buffers that end before the last row, are refused.
    PlaneLayout narrow = planes;
    narrow.stride[0] = tight.RowBytes(0) - 1;
    std::vector<uint8_t> buffer(g.FrameSize(), 0);
    DropScanResult r;
    EXPECT_FALSE(
        ScanFrame(FrameGeometry(layout, 184, 100, narrow), buffer.data(), buffer.size(), {}, &r));
    EXPECT_FALSE(ScanFrame(g, buffer.data(), buffer.size() - 1, {}, &r));
  }
}

} // namespace
} // namespace sorrel
