// Font height arithmetic of the Font command.
#include "fontarithmetic.h"

#include <gtest/gtest.h>

#include <climits>

namespace parlo {
namespace {

TEST(MulDivTest, RoundsHalfAwayFromZeroAndReportsBadInput)
{
  struct Case
  {
    int number, numerator, denominator, expected;
  };
  const Case cases[] = {
      {10, 96, 72, 13},
      {9, 96, 72, 12},
      {13, 72, 96, 10},
      {-13, 72, 96, -10},
      {1, 1, 2, 1},
      {-1, 1, 2, -1},
      {3, 1, 2, 2},
      {5, 0, 7, 0},
      {1, 1, 0, -1},
      {INT_MAX, 2, 1, -1},
      {INT_MAX, 2, 2, INT_MAX},
      {7, -1, 2, -4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.number << "*" << c.numerator << "/" << c.denominator);
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
  }
}

TEST(FontArithmeticTest, TwipsSurviveTheTripThroughTheScreenHeight)
{
  struct Case
  {
    int twips, dpi, logicalHeight, points;
  };
  const Case cases[] = {
      {200, 96, -13, 10}, {180, 96, -12, 9},  {240, 96, -16, 12}, {200, 120, -17, 10},
      {200, 72, -10, 10}, {160, 144, -16, 8}, {720, 96, -48, 36}, {20, 96, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.twips << " twips at " << c.dpi << " dpi");
    const int height = LogicalHeightFromTwips(c.twips, c.dpi);
    EXPECT_EQ(height, c.logicalHeight);
    EXPECT_EQ(PointSizeFromLogicalHeight(height, c.dpi), c.points);
    EXPECT_EQ(TwipsFromTenthPoints(c.points * 10), c.twips);
  }
}

TEST(FontArithmeticTest, BadResolutionGivesNoSize)
{
  EXPECT_EQ(LogicalHeightFromTwips(200, 0), 0);
  EXPECT_EQ(PointSizeFromLogicalHeight(-13, 0), -1);
  EXPECT_EQ(PointSizeFromLogicalHeight(-13, -96), -1);
}

TEST(FontArithmeticTest, TenthsOfAPointBecomeTwips)
{
  struct Case
  {
    int tenths, twips;
  };
  // A point is 20 twips; the dialog's size in tenths of a point, times 2, is the height.
  for (const Case c :
       {Case{0, 0}, Case{1, 2}, Case{95, 190}, Case{100, 200}, Case{105, 210}, Case{720, 1440}}) {
    SCOPED_TRACE(c.tenths);
    EXPECT_EQ(TwipsFromTenthPoints(c.tenths), c.twips);
  }
}

} // namespace
} // namespace parlo
