// Facts about the system the harness runs on, and the few requests it makes of it.
#pragma once

#include <string>

namespace platform {

enum class PlatformFamily { NT, Win9x };

// NT unless HALVEX_PLATFORM_FAMILY=9x.
PlatformFamily GetPlatformFamily();

// A restart asked for as usual, or again with force: programs that hold the restart up
// (logind's inhibitors) are passed over.
enum class RestartMode { Normal, Force };

// Error codes of a restart request besides those of a command that did not start (the process
// layer's: 2 not found, 5 access denied, ...).
inline constexpr int kErrorRestartRefused = 1314; // the command ran and said no (exit status
                                                  // not 0), as a missing shut-down privilege
inline constexpr int kErrorRestartTimeout = 1460; // no answer within kRestartAnswerMs; ended
inline constexpr unsigned kRestartAnswerMs = 60000;

// Asks the machine to restart and returns 0 when the request was accepted. The command is
// HALVEX_RESTART_COMMAND when set (a command line by the process layer's quoting rule, no
// shell; tests and the DOS emulator set it), with the extra word "--force" in Force mode;
// else logind through "systemctl reboot", in Force mode with "--ignore-inhibitors".
int RequestMachineRestart(RestartMode mode);

// Whether this process may ask for a restart (the twin of enabling the shut-down privilege):
// 0 when HALVEX_RESTART_COMMAND is set or logind's CanReboot answers "yes" or "challenge";
// 5 (access denied) otherwise, also when logind cannot be asked.
int CheckRestartPermission();

// Which machine runs the DOS pass, by the value `DosMachine` (REG_SZ) under
// HKEY_LOCAL_MACHINE\<root key>: "emulator" (ignoring case) runs it in DOSBox on this machine;
// anything else, a missing value included, restarts the PC into DOS.
enum class DosMachine { Restart, Emulator };
inline constexpr const char* kDosMachineValue = "DosMachine";
DosMachine GetDosMachine(const std::string& rootKeyPath);

// The user's data folder: $XDG_DATA_HOME when it is an absolute path (a relative one is
// invalid and ignored), else the home folder's .local/share ($HOME, else the account's home),
// else /tmp. Without a trailing separator.
std::string UserDataFolder();

// The user's configuration folder by the same rule: an absolute $XDG_CONFIG_HOME, else the home
// folder's .config, else /tmp.
std::string UserConfigFolder();

// The folder that stands for the system drive's root (where AUTOEXEC.BAT and CONFIG.SYS
// live): HALVEX_SYSTEM_ROOT, else $XDG_DATA_HOME/halvex/sysroot, else
// ~/.local/share/halvex/sysroot. Without a trailing separator; created when missing.
std::string SystemRootFolder();

// Rings the terminal bell when the process has a terminal; true when the bell was written.
// Harmless without one.
bool Beep();

} // namespace platform
