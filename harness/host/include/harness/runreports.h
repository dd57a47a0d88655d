// Writing the machine-readable reports of a finished run where the settings or the command
// line name them, with a log line for each file written, put aside or not written.
#pragma once

#include "harness/runrecord.h"
#include "harness/settings.h"
#include "harness/stringtable.h"

#include <string>

namespace harness {

struct ReportPaths
{
  std::string junit; // "" for none
  std::string json;
};

// The command line's paths where given, else the settings'.
ReportPaths EffectiveReportPaths(const CHarnessSettings& settings, const ReportPaths& commandLine);

// Earlier runs in the files stay when results are appended (AppendToResultsFile not 0).
// True when every named report was written.
bool WriteRunReports(const SuiteRunRecord& run, const ReportPaths& paths, bool append,
                     const StringTable& strings, const LogFunction& log);

} // namespace harness
