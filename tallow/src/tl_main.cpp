// The two exports of tallow.so. One translator per load of the library: its state (NTLog
// binding, in-variation flag, report-statistics flag) lives until the library is unloaded.
#include "tallow/tallow.h"
#include "translator.h"

namespace {

tallow::Translator& TheTranslator()
{
  static tallow::Translator translator;
  return translator;
}

int Translate(const char* logPath, const char* resultsPath, int32_t* status, bool reportStats)
{
  if (!status) {
    return 0;
  }
  *status = TALLOW_STATUS_FAILED;
  const tallow::TranslationReport report =
      TheTranslator().Translate(logPath, resultsPath, reportStats);
  *status = report.status;
  return report.result;
}

} // namespace

extern "C" {

int iTranslateToNTLog(const char* logPath, const char* resultsPath, int32_t* status)
{
  return Translate(logPath, resultsPath, status, false);
}

int iTranslateToNTLogx(const char* logPath, const char* resultsPath, int32_t* status)
{
  return Translate(logPath, resultsPath, status, true);
}

} // extern "C"
