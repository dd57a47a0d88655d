// NTLog bound by name: the module and its 19 entry points.
#pragma once

#include "ntlog/ntlog.h"
#include "platform/modules.h"

#include <string>

namespace tallow {

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

// The module tallow binds: HALVEX_NTLOG when set (a name or a path; lets tests and engineers
// point tallow at another build, or at nothing), else "ntLog.dll".
std::string NtLogModuleName();

class NtLogBinding
{
public:
  NtLogBinding() = default;
  ~NtLogBinding();
  NtLogBinding(const NtLogBinding&) = delete;
  NtLogBinding& operator=(const NtLogBinding&) = delete;

  // Loads the module and binds all 19 entry points; any one missing releases the module and
  // NTLog counts as absent. Tried once per binding object.
  bool Bind();
  bool Bound() const { return m_module != nullptr; }
  const NtLogApi& Api() const { return m_api; }
  // Where the module was found, or why it was not bound.
  const std::string& Description() const { return m_description; }

private:
  platform::HMODULE m_module = nullptr;
  NtLogApi m_api;
  bool m_tried = false;
  std::string m_description;
};

} // namespace tallow
