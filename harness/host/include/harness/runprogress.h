// The lines "-run" prints on standard output: one per execution and a summary at the end.
#pragma once

#include "harness/runrecord.h"

#include <string>

namespace harness {

// "[3/6] Memory, iteration 2: Passed"
std::string ProgressLine(const ExecutionRecord& execution);
// "Nightly: 6 executions, 5 passed, 1 failed: Failed"
std::string SummaryLine(const SuiteRunRecord& run);

} // namespace harness
