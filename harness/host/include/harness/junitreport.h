// The JUnit XML report of suite runs, for labs that run suites from CI: one <testsuite> per
// suite run, one <testcase> per execution (named by label and iteration, classname the owning
// component), a <failure> with the status text for every execution that did not pass, and the
// execution's result lines as its <system-out>. Written to a temporary name and renamed, so
// the file is always whole.
#pragma once

#include "harness/runrecord.h"

#include <string>

namespace harness {

struct ReportOutcome
{
  bool written = false;
  std::string error;  // why it was not written
  std::string keptAs; // where an unreadable earlier report was put aside, or ""
};

// The name of an execution's <testcase>.
std::string ExecutionName(const ExecutionRecord& execution);

// `append`: the runs the file holds already stay before the new one; otherwise the file holds
// the new run only.
ReportOutcome WriteJUnitReport(const std::string& path, const SuiteRunRecord& run, bool append);

} // namespace harness
