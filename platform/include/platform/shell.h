// What starts programs at log-in: shortcuts in the Startup folder, kept as XDG autostart
// entries (.desktop files), and the RunOnce values of the registry, each run once and deleted.
// Calls return registry error codes (platform/registry.h) where the registry is asked, else the
// file error numbers of platform/files.h; 0 is success everywhere.
#pragma once

#include "platform/types.h"

#include <string>
#include <vector>

namespace platform {

// Below HKEY_CURRENT_USER: the value "Startup" names the Startup folder.
inline constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kStartupValue = "Startup";
// Below HKEY_LOCAL_MACHINE: one REG_SZ command line per value.
inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// The key that marks an autostart entry as a Startup shortcut written here.
inline constexpr const char* kHalvexShortcutKey = "X-Halvex-Shortcut";

// --- The Startup folder.

// The folder the Startup value names; ERROR_FILE_NOT_FOUND when the key or value is missing.
LONG GetStartupFolder(std::string& folder);

// Where the Startup value points on a fresh installation: the XDG autostart folder,
// $XDG_CONFIG_HOME/autostart (an absolute one only), else ~/.config/autostart.
std::string DefaultStartupFolder();

// The entry's file name for a shortcut name: a trailing ".lnk" (any case) gives way to
// ".desktop", which is appended unless the name ends with it already.
std::string StartupShortcutFileName(const std::string& name);

// The bytes of a shortcut's entry. The target is a program path, from which one enclosing
// pair of double quotes is removed; the arguments are a command line split by the process
// layer's rule (platform/process.h). Exec holds the target and the arguments quoted by the
// desktop entry rules:
//   [Desktop Entry]
//   Type=Application
//   Version=1.0
//   Name=<name without ".lnk">
//   Exec=<target> <arguments>
//   Terminal=false
//   X-Halvex-Shortcut=true
std::string StartupShortcutText(const std::string& name, const std::string& target,
                                const std::string& arguments);

// Writes the entry into `folder` (created when missing), replacing one of the same name
// whole: a reader sees the old entry or the new one, never a part. A name holding '/' or
// nothing gives kErrorInvalidName.
int CreateStartupShortcut(const std::string& folder, const std::string& name,
                          const std::string& target, const std::string& arguments);

// Deletes the entry; kErrorFileNotFound when there is none.
int RemoveStartupShortcut(const std::string& folder, const std::string& name);

struct StartedProgram
{
  std::string source;             // the entry file, or the RunOnce value's name
  std::vector<std::string> words; // what was started
  int error = 0;                  // 0 started; else why not (2 program not found, ...)
};

// Starts every Startup shortcut of `folder` written here (Type=Application, the mark above,
// not Hidden), in file-name order, as a log-in does: each Exec in the background, in the
// entry's Path when it has one. Other entries of the folder are left alone. Returns the file
// error of reading the folder (kErrorPathNotFound when it is missing); each entry's outcome is
// in `started`.
int StartStartupShortcuts(const std::string& folder, std::vector<StartedProgram>& started);

// --- RunOnce values.

// The command line of a RunOnce value for a program and its arguments ("%s %s"), the program
// quoted by the process layer's rule when it holds a blank or a quote.
std::string RunOnceCommandLine(const std::string& program, const std::string& arguments);

LONG SetRunOnceValue(const std::string& name, const std::string& commandLine);
LONG GetRunOnceValue(const std::string& name, std::string& commandLine);
LONG DeleteRunOnceValue(const std::string& name);

// Runs every RunOnce value once, in name order, as the log-in does: each value is deleted
// before its command line starts (by the process layer's rule), so a program that fails or
// restarts the machine is not run again. With `wait`, each program has ended before the next
// starts. A missing key means nothing to run. Returns the registry error that stopped the walk
// (0 when none did); each value's outcome is in `started` (a value that is not a string is
// deleted and reported with ERROR_INVALID_DATA).
LONG RunRunOnceValues(bool wait, std::vector<StartedProgram>& started);

} // namespace platform
