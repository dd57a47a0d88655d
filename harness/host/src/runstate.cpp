// Status texts by run state and logging level.
#include "harness/runstate.h"

#include "harness/stringids.h"

namespace harness {

int RunStateTextId(RunState state)
{
  const int value = static_cast<int>(state);
  const int first = static_cast<int>(RunState::Idle);
  const int last = static_cast<int>(RunState::Stopped);
  return value >= first && value <= last ? ids::kRunStateFirst + value - first
                                         : ids::kRunStateOther;
}

bool RunStateIsLogged(RunState state)
{
  return state == RunState::Running || state == RunState::StopRequested ||
         state == RunState::Stopped;
}

int LoggingLevelTextId(unsigned level)
{
  return level >= 1 && level <= 3 ? ids::kLoggingLevelFirst + static_cast<int>(level) - 1
                                  : ids::kLoggingLevelOther;
}

std::string RunStateText(const StringTable& strings, RunState state)
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
