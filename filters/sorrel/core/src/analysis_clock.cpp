// The two clocks.
#include "sorrel/analysis_clock.h"

#include <chrono>
#include <ctime>

namespace sorrel {

ClockReading WallClock::Now() const
{
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
  return {int64_t(std::time(nullptr)),
          int64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(ticks).count())};
}

ClockReading StreamClock::Now() const
{
  const int64_t ns = m_lastEndNs.load(std::memory_order_relaxed);
  return {ns / 1000000000, ns};
}

void StreamClock::FrameEnded(int64_t endTimeNs)
{
  if (endTimeNs >= 0) {
    m_lastEndNs.store(endTimeNs, std::memory_order_relaxed);
  }
}

std::unique_ptr<AnalysisClock> MakeClock(ClockSource source)
{
  if (source == ClockSource::Stream) {
    return std::make_unique<StreamClock>();
  }
  return std::make_unique<WallClock>();
}

} // namespace sorrel
