// System facts, with environment overrides for tests.
#include "platform/system.h"

#include <cstdlib>
#include <cstring>

namespace platform {

PlatformFamily GetPlatformFamily()
{
  const char* family = std::getenv("HALVEX_PLATFORM_FAMILY");
  return family && std::strcmp(family, "9x") == 0 ? PlatformFamily::Win9x : PlatformFamily::NT;
}

} // namespace platform
