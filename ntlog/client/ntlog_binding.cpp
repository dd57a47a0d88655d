// Binding NTLog's entry points by name, all or none.
#include "ntlog/ntlog_binding.h"

#include <cstdlib>

namespace ntlog {

std::string NtLogModuleName()
{
  const char* name = std::getenv("HALVEX_NTLOG");
  return name && *name ? name : "ntLog.dll";
}

NtLogBinding::NtLogBinding(std::string moduleName) : m_moduleName(std::move(moduleName)) {}

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
  platform::HMODULE module = platform::LoadLibrary(m_moduleName);
  if (!module) {
    m_description = "NTLog not loaded (" + m_moduleName + "): " + platform::LastModuleError();
    return false;
  }
  const char* missing = BindNtLogApi(
      m_api, [module](const char* entry) { return platform::GetProcAddress(module, entry); });
  if (missing) {
    m_description =
        "NTLog not used: " + platform::ModuleFileName(module) + " has no " + std::string(missing);
    platform::FreeLibrary(module);
    m_api = {};
    return false;
  }
  m_module = module;
  m_description = "NTLog " + platform::ModuleFileName(module);
  return true;
}

} // namespace ntlog
