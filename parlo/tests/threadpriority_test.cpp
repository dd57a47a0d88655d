// Workers step back behind the window's thread, and only they do.
#include "threadpriority.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace parlo {
namespace {

int Niceness()
{
  return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

TEST(ThreadPriorityTest, LowersTheCallingThreadOnly)
{
  const int window = Niceness();
  int worker = window;
  std::thread([&worker] {
    LowerCurrentThreadPriority();
    worker = Niceness();
  }).join();
  // Nicer, unless the window's thread is already as nice as can be.
  EXPECT_EQ(worker, std::min(window + 10, 19));
  EXPECT_EQ(Niceness(), window);
}

} // namespace
} // namespace parlo
