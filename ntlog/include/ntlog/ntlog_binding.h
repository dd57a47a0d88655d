// NTLog bound by name for the programs that load it at run time: the module and its 19 entry
// points, all or none.
#pragma once

#include "ntlog/ntlog_api.h"
#include "platform/modules.h"

#include <string>

namespace ntlog {

// The module callers bind: HALVEX_NTLOG when set (a name or a path; lets tests and engineers
// point them at another build, or at nothing), else "ntLog.dll".
std::string NtLogModuleName();

class NtLogBinding
{
public:
  explicit NtLogBinding(std::string moduleName = NtLogModuleName());
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
  std::string m_moduleName;
  platform::HMODULE m_module = nullptr;
  NtLogApi m_api;
  bool m_tried = false;
  std::string m_description;
};

} // namespace ntlog
