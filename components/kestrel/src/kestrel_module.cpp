// Kestrel's entry points: attach creates and registers the one component "Video Input Tests";
// detach lets go of it.
#include "kestrel/analoginbasicfunctionality.h"
#include "kestrel/videoinputcomponent.h"

#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/strings.h"

#include <new>

using components::FormatText;
using components::kLogError;
using components::LogMessage;

namespace {

bool Attach()
{
  if (!components::BeginAttach(kestrel::kComponentClassName))
    return false;
  auto* pComponent = new (std::nothrow) CVideoInputComponent(nullptr);
  if (pComponent == nullptr) {
    LogMessage(kLogError, FormatText("ERROR: Unable to allocate the %s Component object.",
                                     kestrel::kComponentClassName));
    return false;
  }
  components::SetCurrentComponent(pComponent);
  return components::RegisterComponent(pComponent);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int halvex_module_attach()
{
  return components::RunAttach(kestrel::kComponentClassName, Attach);
}

extern "C" __attribute__((visibility("default"))) void halvex_module_detach()
{
  components::EndDetach();
}
