// What a run keeps while it walks a suite: the counters, the times and the test case being
// executed. Owned by the application; written on the user-interface thread only (the run's
// worker reaches it through calls it hands to that thread).
#pragma once

#include <chrono>

class CTestCase;

namespace harness {

using RunClock = std::chrono::system_clock;

struct CRunBookkeeping
{
  int m_nTotalRuns = 0;  // sum of the iteration counts of the test cases taking part
  int m_nCurrentRun = 0; // number of the execution in progress, from 1
  int m_nFailedRuns = 0; // executions whose status was not "passed"
  int m_nPassedRuns = 0;
  RunClock::time_point m_timeSuiteStart;
  RunClock::time_point m_timeSuiteEnd;
  RunClock::time_point m_timeTestStart;
  RunClock::time_point m_timeTestEnd;
  // The test case being executed, null between runs; the stop command aborts it.
  CTestCase* m_pCurrentTestCase = nullptr;
};

} // namespace harness
