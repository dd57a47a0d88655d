// System facts and requests, with environment overrides for tests.
#include "platform/system.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {

namespace {

std::string Environment(const char* name)
{
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder()
{
  std::string home = Environment("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()))
      home = entry->pw_dir ? entry->pw_dir : "";
  }
  return home;
}

// An XDG base folder: the variable when it holds an absolute path, else the home folder's
// default below it, else /tmp. Without a trailing separator.
std::string XdgFolder(const char* variable, const char* belowHome)
{
  std::string folder = Environment(variable);
  if (folder.empty() || folder[0] != '/') {
    const std::string home = HomeFolder();
    folder = home.empty() ? "/tmp" : home + belowHome;
  }
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

// Runs the words of a restart request and judges the answer.
int RunRestartCommand(const std::vector<std::string>& words)
{
  Process command;
  if (!command.Start(words, {}, ProcessStreams{})) {
    const DWORD code = command.LastError().windowsCode;
    return code != 0 ? static_cast<int>(code) : kErrorRestartRefused;
  }
  if (command.Wait(kRestartAnswerMs) != WAIT_OBJECT_0) {
    command.Terminate(WAIT_TIMEOUT);
    return kErrorRestartTimeout;
  }
  DWORD exitCode = 0;
  command.GetExitCode(&exitCode);
  return exitCode == 0 ? 0 : kErrorRestartRefused;
}

} // namespace

PlatformFamily GetPlatformFamily()
{
  const char* family = std::getenv("HALVEX_PLATFORM_FAMILY");
  return family && std::strcmp(family, "9x") == 0 ? PlatformFamily::Win9x : PlatformFamily::NT;
}

int RequestMachineRestart(RestartMode mode)
{
  const bool force = mode == RestartMode::Force;
  const std::string command = Environment("HALVEX_RESTART_COMMAND");
  if (!command.empty()) {
    std::vector<std::string> words = SplitCommandLine(command);
    if (words.empty()) {
      return kErrorRestartRefused;
    }
    if (force) {
      words.push_back("--force");
    }
    return RunRestartCommand(words);
  }
  std::vector<std::string> words = {"systemctl", "reboot"};
  if (force) {
    words.push_back("--ignore-inhibitors");
  }
  return RunRestartCommand(words);
}

int CheckRestartPermission()
{
  if (!Environment("HALVEX_RESTART_COMMAND").empty()) {
    return 0;
  }
  ProgramResult answer;
  ProcessError error;
  const std::vector<std::string> ask = {"busctl",
                                        "call",
                                        "org.freedesktop.login1",
                                        "/org/freedesktop/login1",
                                        "org.freedesktop.login1.Manager",
                                        "CanReboot"};
  if (!RunProgram(ask, 5000, answer, error) || answer.timedOut || answer.exitCode != 0) {
    return kErrorAccessDenied;
  }
  // busctl prints the reply as: s "yes"
  const bool allowed = answer.output.find("\"yes\"") != std::string::npos ||
                       answer.output.find("\"challenge\"") != std::string::npos;
  return allowed ? 0 : kErrorAccessDenied;
}

DosMachine GetDosMachine(const std::string& rootKeyPath)
{
  std::string machine;
  if (RegGetString(HKEY_LOCAL_MACHINE, rootKeyPath, kDosMachineValue, machine) != ERROR_SUCCESS) {
    return DosMachine::Restart;
  }
  return strcasecmp(machine.c_str(), "emulator") == 0 ? DosMachine::Emulator : DosMachine::Restart;
}

std::string UserDataFolder()
{
  return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserConfigFolder()
{
  return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string SystemRootFolder()
{
  std::string folder = Environment("HALVEX_SYSTEM_ROOT");
  if (folder.empty()) {
    folder = UserDataFolder() + "/halvex/sysroot";
  }
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  std::error_code ignored; // a folder that cannot be made shows up as failing file calls
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

bool Beep()
{
  const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (terminal < 0)
    return false;
  const bool rung = write(terminal, "\a", 1) == 1;
  close(terminal);
  return rung;
}

} // namespace platform
