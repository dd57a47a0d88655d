// Run states of the harness and the status panel's texts for them.
#pragma once

#include "harness/stringtable.h"

#include <string>

namespace harness {

inline constexpr int kRunStateIdle = 1;

// States 2 to 4: a run is in progress and closing is refused.
inline bool IsRunInProgress(int state)
{
  return state >= 2 && state <= 4;
}

// State 2: the commands that change settings, components, files or suites are disabled.
inline bool IsRunning(int state)
{
  return state == 2;
}

int RunStateTextId(int state);
// States 2, 4 and 7 also go to the log, at level 3.
bool RunStateIsLogged(int state);
int LoggingLevelTextId(unsigned level);

std::string RunStateText(const StringTable& strings, int state);
std::string LoggingLevelText(const StringTable& strings, unsigned level);
std::string ProgressText(const StringTable& strings, int current, int total);

} // namespace harness
