// A one-component plug-in built on the shared skeleton, as Kestrel is: its class name is its
// own file base name, so copies under other names are other components. A copy whose name
// starts with "Fail" refuses to attach. Its component shows the icon the module carries.
#include "skeleton/componentmodule.h"
#include "skeleton/modelcomponent.h"

#include <string>

namespace {

// The icon number halvex_module_icons gives the module's icon.
constexpr int kProbeIconId = 7;

std::string BaseName(const std::string& path)
{
  std::string name = path.substr(path.rfind('/') + 1);
  return name.substr(0, name.find('.'));
}

} // namespace

extern "C" __attribute__((visibility("default"))) int halvex_module_attach()
{
  if (!components::BeginAttach("Probe"))
    return 0;
  const std::string name = BaseName(components::ThisModulePath());
  if (name.rfind("Fail", 0) == 0)
    return 0;
  auto* pComponent = new CModelComponent(nullptr);
  pComponent->SetClassName(name);
  pComponent->SetIconId(kProbeIconId);
  pComponent->m_strDllPath = components::ThisModulePath();
  components::SetCurrentComponent(pComponent);
  if (components::RegisterComponent(pComponent))
    return 1;
  components::WithdrawComponents();
  return 0;
}

extern "C" __attribute__((visibility("default"))) void halvex_module_detach()
{
  components::EndDetach();
}
