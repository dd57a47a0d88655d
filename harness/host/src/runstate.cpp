// Status texts by run state and logging level.
#include "harness/runstate.h"

#include "harness/stringids.h"

namespace harness {

int RunStateTextId(int state)
{
  return state >= 1 && state <= 7 ? ids::kRunStateFirst + state - 1 : ids::kRunStateOther;
}

bool RunStateIsLogged(int state)
{
  return state == 2 || state == 4 || state == 7;
}

int LoggingLevelTextId(unsigned level)
{
  return level >= 1 && level <= 3 ? ids::kLoggingLevelFirst + static_cast<int>(level) - 1
                                  : ids::kLoggingLevelOther;
}

std::string RunStateText(const StringTable& strings, int state)
{
  return strings.Get(RunStateTextId(state));
}

std::string LoggingLevelText(const StringTable& strings, unsigned level)
{
  return strings.Get(LoggingLevelTextId(level));
}

std::string ProgressText(const StringTable& strings, int current, int total)
{
  return strings.Format(ids::kProgress, {std::to_string(current), std::to_string(total)});
}

} // namespace harness
