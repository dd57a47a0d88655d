#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(SystemTest, FamilyFollowsEnvironment)
{
  unsetenv("HALVEX_PLATFORM_FAMILY");
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::NT);
  setenv("HALVEX_PLATFORM_FAMILY", "9x", 1);
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::Win9x);
  setenv("HALVEX_PLATFORM_FAMILY", "NT", 1);
  EXPECT_EQ(platform::GetPlatformFamily(), platform::PlatformFamily::NT);
  unsetenv("HALVEX_PLATFORM_FAMILY");
}
