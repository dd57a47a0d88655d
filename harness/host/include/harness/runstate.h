// Run states of the harness and the status panel's texts for them.
#pragma once

#include "harness/stringtable.h"

#include <string>

namespace harness {

// The harness's run state. The numbers are the ones the status texts are kept by; Idle,
// Passed, Failed and Stopped all count as idle for the commands.
enum class RunState : int {
  Idle = 1,
  Running = 2,
  Paused = 3,
  StopRequested = 4,
  Passed = 5,  // finished, every test case passed
  Failed = 6,  // finished, at least one test case failed
  Stopped = 7, // stopped by the user
};

// Running, paused or stop requested: a run is in progress and closing is refused.
inline bool IsRunInProgress(RunState state)
{
  return state == RunState::Running || state == RunState::Paused ||
         state == RunState::StopRequested;
}

// Running: the commands that change settings, components, files or suites are disabled.
inline bool IsRunning(RunState state)
{
  return state == RunState::Running;
}

int RunStateTextId(RunState state);
// Running, stop requested and stopped also go to the log, at level 3.
bool RunStateIsLogged(RunState state);
int LoggingLevelTextId(unsigned level);

std::string RunStateText(const StringTable& strings, RunState state);
std::string LoggingLevelText(const StringTable& strings, unsigned level);
std::string ProgressText(const StringTable& strings, int current, int total);

} // namespace harness
