// The simulator's drop list parser and drop plan.
#include "drop_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gst_sorrel_sim::DropPlan;
using gst_sorrel_sim::ParseDropList;
using gst_sorrel_sim::PlannedDrop;

TEST(DropPlan, ParsesListsAndRefusesBadEntries)
{
  struct Case
  {
    std::string text;
    bool ok;
    size_t count;
  };
  const std::vector<Case> cases = {
      {"", true, 0},       {"5:100:20", true, 1}, {" 5 : 100 : 20 ; 7:0:1,", true, 2},
      {"5:100", false, 0}, {"5:100:0", false, 0}, {"5:-1:4", false, 0},
      {"a:1:2", false, 0}, {"5:1:2:3", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<PlannedDrop> drops;
    std::string error;
    EXPECT_EQ(ParseDropList(c.text, &drops, &error), c.ok);
    if (c.ok) {
      EXPECT_EQ(drops.size(), c.count);
    } else {
      EXPECT_NE(error.find("frame:offset:length"), std::string::npos) << error;
    }
  }
}

TEST(DropPlan, ListedDropsStayInsideTheFrame)
{
  DropPlan plan({{3, 100, 50}, {3, 990, 50}, {3, 2000, 5}, {4, 0, 8}}, 0.0, 0, 1);
  const std::vector<sorrel::ByteRange> ranges = plan.RangesFor(3, 1000);
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[0].offset, 100u);
  EXPECT_EQ(ranges[0].length, 50u);
  EXPECT_EQ(ranges[1].offset, 990u);
  EXPECT_EQ(ranges[1].length, 10u);
  EXPECT_TRUE(plan.RangesFor(2, 1000).empty());
}

TEST(DropPlan, RandomDropsFollowRateAndSeed)
{
  const size_t frame = 10000, length = 64;
  auto draw = [&](double rate, uint32_t seed) {
    DropPlan plan({}, rate, length, seed);
    std::vector<size_t> offsets;
    for (uint64_t n = 0; n < 1000; ++n) {
      for (const sorrel::ByteRange& r : plan.RangesFor(n, frame)) {
        EXPECT_EQ(r.length, length);
        EXPECT_LE(r.offset + r.length, frame);
        offsets.push_back(r.offset);
      }
    }
    return offsets;
  };
  EXPECT_TRUE(draw(0.0, 1).empty());
  EXPECT_EQ(draw(1.0, 1).size(), 1000u);
  const std::vector<size_t> some = draw(0.1, 7);
  EXPECT_GT(some.size(), 50u);
  EXPECT_LT(some.size(), 150u);
  EXPECT_EQ(draw(0.1, 7), some);
  EXPECT_NE(draw(0.1, 8), some);
}

} // namespace
