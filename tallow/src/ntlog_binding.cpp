// Binding NTLog's entry points by name, all or none.
#include "ntlog_binding.h"

#include <cstdlib>

namespace tallow {

namespace {

template <typename F>
bool BindEntry(platform::HMODULE module, F& slot, const char* name, std::string& missing)
{
  slot = reinterpret_cast<F>(platform::GetProcAddress(module, name));
  if (!slot && missing.empty()) {
    missing = name;
  }
  return slot != nullptr;
}

} // namespace

std::string NtLogModuleName()
{
  const char* name = std::getenv("HALVEX_NTLOG");
  return name && *name ? name : "ntLog.dll";
}

NtLogBinding::~NtLogBinding()
{
  if (m_module) {
    platform::FreeLibrary(m_module);
  }
}

bool NtLogBinding::Bind()
{
  if (m_tried) {
    return Bound();
  }
  m_tried = true;
  const std::string name = NtLogModuleName();
  platform::HMODULE module = platform::LoadLibrary(name);
  if (!module) {
    m_description = "NTLog not loaded (" + name + "): " + platform::LastModuleError();
    return false;
  }
  std::string missing;
  NtLogApi& a = m_api;
  // In this order; every one must be there.
  BindEntry(module, a.tlCreateLog_A, "tlCreateLog_A", missing);
  BindEntry(module, a.tlParseCmdLine_A, "tlParseCmdLine_A", missing);
  BindEntry(module, a.tlGetLogFileName_A, "tlGetLogFileName_A", missing);
  BindEntry(module, a.tlSetLogFileName_A, "tlSetLogFileName_A", missing);
  BindEntry(module, a.tlLogX_A, "tlLogX_A", missing);
  BindEntry(module, a.tlLog_A, "tlLog_A", missing);
  BindEntry(module, a.tlDestroyLog, "tlDestroyLog", missing);
  BindEntry(module, a.tlAddParticipant, "tlAddParticipant", missing);
  BindEntry(module, a.tlRemoveParticipant, "tlRemoveParticipant", missing);
  BindEntry(module, a.tlGetLogInfo, "tlGetLogInfo", missing);
  BindEntry(module, a.tlSetLogInfo, "tlSetLogInfo", missing);
  BindEntry(module, a.tlPromptLog, "tlPromptLog", missing);
  BindEntry(module, a.tlGetTestStat, "tlGetTestStat", missing);
  BindEntry(module, a.tlGetVariationStat, "tlGetVariationStat", missing);
  BindEntry(module, a.tlClearTestStats, "tlClearTestStats", missing);
  BindEntry(module, a.tlClearVariationStats, "tlClearVariationStats", missing);
  BindEntry(module, a.tlStartVariation, "tlStartVariation", missing);
  BindEntry(module, a.tlEndVariation, "tlEndVariation", missing);
  BindEntry(module, a.tlReportStats, "tlReportStats", missing);
  if (!missing.empty()) {
    m_description = "NTLog not used: " + platform::ModuleFileName(module) + " has no " + missing;
    platform::FreeLibrary(module);
    m_api = {};
    return false;
  }
  m_module = module;
  m_description = "NTLog " + platform::ModuleFileName(module);
  return true;
}

} // namespace tallow
