// The JSON report of suite runs: the facts of the JUnit report and the component record of
// every execution (OEM, manufacturer, model, serial number, driver and firmware versions), as
// {"runs": [...]}. Written to a temporary name and renamed, so the file is always whole.
#pragma once

#include "harness/junitreport.h"
#include "harness/runrecord.h"

#include <string>

namespace harness {

// `append`: the runs the file holds already stay before the new one.
ReportOutcome WriteJsonReport(const std::string& path, const SuiteRunRecord& run, bool append);

} // namespace harness
