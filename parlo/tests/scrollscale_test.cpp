// Scroll positions beyond an int's range on a scroll bar.
#include "scrollscale.h"

#include <gtest/gtest.h>

namespace parlo {
namespace {

TEST(ScrollScaleTest, MapsPositionsOntoTheBarAndBack)
{
  struct Case
  {
    qint64 maximum, position;
    int bar;
    qint64 back;
  };
  constexpr qint64 kBar = ScrollScale::kBarMaximum;
  const Case cases[] = {
      {0, 0, 0, 0},
      {100, 40, 40, 40},
      {100, 100, 100, 100},
      {100, 500, 100, 100},
      {kBar, kBar, static_cast<int>(kBar), kBar},
      {4 * kBar, 0, 0, 0},
      {4 * kBar, 8, 2, 8},
      {4 * kBar, 9, 3, 12},
      {4 * kBar, 4 * kBar, static_cast<int>(kBar), 4 * kBar},
      {4 * kBar + 1, 4 * kBar + 1, 858993460, 4 * kBar + 1}, // five positions a step
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.position << " of " << c.maximum);
    ScrollScale scale;
    scale.SetMaximum(c.maximum);
    EXPECT_LE(scale.BarMaximum(), kBar);
    EXPECT_EQ(scale.ToBar(c.position), c.bar);
    EXPECT_EQ(scale.FromBar(c.bar), c.back);
  }
}

} // namespace
} // namespace parlo
