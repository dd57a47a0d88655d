// The suite list's state icons: order of the resources and the icon after a run.
#include "harness/stateicons.h"

#include <gtest/gtest.h>

#include <set>

namespace harness::test {
namespace {

TEST(StateIconsTest, OnlyStatusSixShowsPassed)
{
  struct Case
  {
    std::uint32_t status;
    StateIcon icon;
  };
  const Case cases[] = {{kStatusPassed, kIconPassed},
                        {kStatusFailed, kIconFailed},
                        {7, kIconFailed},
                        {2, kIconFailed},
                        {0, kIconFailed},
                        {0xFFFFFFFFu, kIconFailed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    EXPECT_EQ(StateIconAfterRun(c.status), c.icon);
  }
}

TEST(StateIconsTest, EveryImageHasItsOwnResource)
{
  std::set<int> resources(std::begin(kStateIconResources), std::end(kStateIconResources));
  EXPECT_EQ(resources.size(), static_cast<std::size_t>(kStateIconCount));
}

} // namespace
} // namespace harness::test
