// NTLog's 19 entry points as one table, bound by name from a loaded module: the form every
// caller that loads NTLog at run time uses.
#pragma once

#include "ntlog/ntlog.h"

#include <type_traits>

struct NtLogApi
{
  tlCreateLog_A_fn tlCreateLog_A = nullptr;
  tlParseCmdLine_A_fn tlParseCmdLine_A = nullptr;
  tlGetLogFileName_A_fn tlGetLogFileName_A = nullptr;
  tlSetLogFileName_A_fn tlSetLogFileName_A = nullptr;
  tlLogX_A_fn tlLogX_A = nullptr;
  tlLog_A_fn tlLog_A = nullptr;
  tlDestroyLog_fn tlDestroyLog = nullptr;
  tlAddParticipant_fn tlAddParticipant = nullptr;
  tlRemoveParticipant_fn tlRemoveParticipant = nullptr;
  tlGetLogInfo_fn tlGetLogInfo = nullptr;
  tlSetLogInfo_fn tlSetLogInfo = nullptr;
  tlPromptLog_fn tlPromptLog = nullptr;
  tlGetTestStat_fn tlGetTestStat = nullptr;
  tlGetVariationStat_fn tlGetVariationStat = nullptr;
  tlClearTestStats_fn tlClearTestStats = nullptr;
  tlClearVariationStats_fn tlClearVariationStats = nullptr;
  tlStartVariation_fn tlStartVariation = nullptr;
  tlEndVariation_fn tlEndVariation = nullptr;
  tlReportStats_fn tlReportStats = nullptr;
};

// Fills `api` through `lookup` (an entry point's name to its address, or null). Returns the
// name of the first entry point that is missing, or null when all 19 were found.
template <typename Lookup> const char* BindNtLogApi(NtLogApi& api, Lookup lookup)
{
  const char* missing = nullptr;
  auto bind = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(lookup(name));
    if (!slot && !missing) {
      missing = name;
    }
  };
  bind(api.tlCreateLog_A, "tlCreateLog_A");
  bind(api.tlParseCmdLine_A, "tlParseCmdLine_A");
  bind(api.tlGetLogFileName_A, "tlGetLogFileName_A");
  bind(api.tlSetLogFileName_A, "tlSetLogFileName_A");
  bind(api.tlLogX_A, "tlLogX_A");
  bind(api.tlLog_A, "tlLog_A");
  bind(api.tlDestroyLog, "tlDestroyLog");
  bind(api.tlAddParticipant, "tlAddParticipant");
  bind(api.tlRemoveParticipant, "tlRemoveParticipant");
  bind(api.tlGetLogInfo, "tlGetLogInfo");
  bind(api.tlSetLogInfo, "tlSetLogInfo");
  bind(api.tlPromptLog, "tlPromptLog");
  bind(api.tlGetTestStat, "tlGetTestStat");
  bind(api.tlGetVariationStat, "tlGetVariationStat");
  bind(api.tlClearTestStats, "tlClearTestStats");
  bind(api.tlClearVariationStats, "tlClearVariationStats");
  bind(api.tlStartVariation, "tlStartVariation");
  bind(api.tlEndVariation, "tlEndVariation");
  bind(api.tlReportStats, "tlReportStats");
  return missing;
}
