// Progress and summary lines of run mode.
#include "harness/runprogress.h"

namespace harness {

std::string ProgressLine(const ExecutionRecord& execution)
{
  return "[" + std::to_string(execution.number) + "/" + std::to_string(execution.total) + "] " +
         execution.label + ", iteration " + std::to_string(execution.iteration) + ": " +
         execution.statusText;
}

std::string SummaryLine(const SuiteRunRecord& run)
{
  return run.name + ": " + std::to_string(run.executions.size()) + " executions, " +
         std::to_string(run.passed) + " passed, " + std::to_string(run.failed) +
         " failed: " + run.stateText;
}

} // namespace harness
