// Facts about the system the harness runs on.
#pragma once

namespace platform {

enum class PlatformFamily { NT, Win9x };

// NT unless HALVEX_PLATFORM_FAMILY=9x.
PlatformFamily GetPlatformFamily();

} // namespace platform
