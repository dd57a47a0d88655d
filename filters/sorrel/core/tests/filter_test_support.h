// Shared helpers of the core's tests: a connected filter on a stream clock, fed through a
// small pool of recycled buffers as a capture driver would.
#pragma once

#include "sorrel/analog_in_test.h"
#include "sorrel/pattern_renderer.h"
#include "sorrel/results_block.h"
#include "sorrel/results_report.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace sorrel::testing {

constexpr int64_t kNtscFrame = 333667; // 100 ns units
constexpr int64_t kPalFrame = 400000;

class FedFilter
{
public:
  FedFilter(uint32_t fourcc, int width, int height, int64_t avgTimePerFrame = kNtscFrame)
      : filter(std::make_unique<StreamClock>())
  {
    const MediaType type = MakeVideoMediaType(fourcc, width, height, avgTimePerFrame, 0);
    EXPECT_EQ(filter.CheckInputType(type), FilterResult::Ok);
    Layout layout = Layout::YUY2;
    LayoutForFormatCode(filter.FormatCode(), &layout);
    geometry = FrameGeometry(layout, width, height);
    for (auto& buffer : pool) {
      buffer.assign(geometry.FrameSize(), 0);
    }
    frame = RenderFlat(geometry).Pack();
  }

  // Delivers one frame ending at endNs into the next pool buffer and analyses it.
  bool Deliver(int64_t endNs, const std::vector<ByteRange>& unwritten = {})
  {
    std::vector<uint8_t>& buffer = pool[next++ % pool.size()];
    WriteFrame(frame, buffer.data(), buffer.size(), unwritten);
    return filter.AnalyzeFrame({buffer.data(), buffer.size()}, {}, endNs);
  }

  // n frames delivered at `rate` frames a second, each timed at its end.
  void DeliverAtRate(int n, double rate)
  {
    for (int k = 1; k <= n; ++k) {
      Deliver(int64_t(std::llround(1e9 * k / rate)));
    }
  }

  DecodedResults Results()
  {
    std::vector<uint8_t> block(block::kBlockSize, 0xAA);
    EXPECT_EQ(filter.QueryVendorInfo(block.data(), block.size()), FilterResult::Ok);
    raw = block;
    DecodedResults decoded;
    std::string error;
    EXPECT_TRUE(DecodeResultsBlock(block.data(), block.size(), &decoded, &error)) << error;
    return decoded;
  }

  // n luma bytes left unwritten, one pixel in every other 8-pixel stretch (no runs).
  std::vector<ByteRange> Scattered(int n) const
  {
    std::vector<ByteRange> ranges;
    const int perRow = geometry.width() / 16;
    for (int k = 0; k < n; ++k) {
      ranges.push_back({geometry.LumaOffset(16 * (k % perRow), 2 * (k / perRow)), 1});
    }
    return ranges;
  }

  std::vector<ByteRange> Run(int n) const
  {
    std::vector<ByteRange> ranges;
    for (int k = 0; k < n; ++k) {
      ranges.push_back({geometry.LumaOffset(8 + k, 4), 1});
    }
    return ranges;
  }

  CAnalogInTest filter;
  FrameGeometry geometry{Layout::YUY2, 0, 0};
  std::vector<uint8_t> frame;
  std::array<std::vector<uint8_t>, 3> pool;
  size_t next = 0;
  std::vector<uint8_t> raw;
};

inline const AssertionRecord* FindAssertion(const DecodedResults& r, int group, int item)
{
  for (const AssertionRecord& a : r.assertions) {
    if (a.group == group && a.item == item) {
      return &a;
    }
  }
  return nullptr;
}

inline std::vector<std::string> LinesOf(const DecodedResults& r, int group, int item)
{
  std::vector<std::string> lines;
  for (const DiagnosticRecord& d : r.diagnostics) {
    if (d.group == group && d.item == item) {
      lines.push_back(d.text);
    }
  }
  return lines;
}

} // namespace sorrel::testing
