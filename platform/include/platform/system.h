// Facts about the system the harness runs on, and the few requests it makes of it.
#pragma once

#include <string>

namespace platform {

enum class PlatformFamily { NT, Win9x };

// NT unless HALVEX_PLATFORM_FAMILY=9x.
PlatformFamily GetPlatformFamily();

// Asks the machine to restart: runs HALVEX_RESTART_COMMAND through /bin/sh -c when it is
// set (tests record the request that way), else "systemctl reboot". True when the command
// ran and exited with status 0; false when it could not start, failed or was refused.
bool RequestSystemRestart();

// The folder that stands for the system drive's root (where AUTOEXEC.BAT and CONFIG.SYS
// live): HALVEX_SYSTEM_ROOT, else $XDG_DATA_HOME/halvex/sysroot, else
// ~/.local/share/halvex/sysroot. Without a trailing separator; created when missing.
std::string SystemRootFolder();

// Rings the terminal bell when the process has a terminal; true when the bell was written.
// Harmless without one.
bool Beep();

} // namespace platform
