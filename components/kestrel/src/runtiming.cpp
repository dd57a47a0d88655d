// The run's timing and its switch.
#include "kestrel/runtiming.h"

#include <algorithm>
#include <cstdlib>

namespace kestrel {

namespace {
constexpr long kFullRunSeconds = 180;
constexpr long kStartupCheckSeconds = 10;
// The filter judges the whole run once 30 seconds of capture lie behind its first frame; a
// second more leaves room for the first frame to arrive.
constexpr long kShortestRunSeconds = 31;
} // namespace

RunTiming RunTiming::OfSeconds(long seconds)
{
  const long run = std::clamp(seconds, kShortestRunSeconds, kFullRunSeconds);
  RunTiming timing;
  timing.startupCheckMs = int(std::max(1000L, kStartupCheckSeconds * 1000 * run / kFullRunSeconds));
  timing.restOfRunMs = int(run * 1000) - timing.startupCheckMs;
  return timing;
}

RunTiming RunTiming::FromEnvironment()
{
  const char* value = std::getenv(kRunSecondsVariable);
  if (!value || !*value)
    return {};
  char* end = nullptr;
  const long seconds = std::strtol(value, &end, 10);
  if (end == value || *end != '\0')
    return {};
  return OfSeconds(seconds);
}

} // namespace kestrel
