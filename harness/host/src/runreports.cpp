// The reports of a finished run.
#include "harness/runreports.h"

#include "harness/jsonreport.h"
#include "harness/junitreport.h"
#include "harness/stringids.h"

namespace harness {

ReportPaths EffectiveReportPaths(const CHarnessSettings& settings, const ReportPaths& commandLine)
{
  ReportPaths paths;
  paths.junit = commandLine.junit.empty() ? settings.m_strJUnitReportPath : commandLine.junit;
  paths.json = commandLine.json.empty() ? settings.m_strJsonReportPath : commandLine.json;
  return paths;
}

bool WriteRunReports(const SuiteRunRecord& run, const ReportPaths& paths, bool append,
                     const StringTable& strings, const LogFunction& log)
{
  bool allWritten = true;
  auto write = [&](const std::string& path, auto writer) {
    if (path.empty())
      return;
    const ReportOutcome outcome = writer(path, run, append);
    if (!outcome.keptAs.empty() && log)
      log(0, strings.Format(ids::kReportUnreadable, {path, outcome.keptAs}));
    if (!outcome.written) {
      allWritten = false;
      if (log)
        log(0, strings.Format(ids::kReportWriteFailed, {path, outcome.error}));
      return;
    }
    if (log)
      log(2, strings.Format(ids::kReportWritten, {path}));
  };
  write(paths.junit, WriteJUnitReport);
  write(paths.json, WriteJsonReport);
  return allWritten;
}

} // namespace harness
