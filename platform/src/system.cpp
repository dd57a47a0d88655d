// System facts and requests, with environment overrides for tests.
#include "platform/system.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

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

// Runs argv and waits for it; true on exit status 0.
bool RunAndWait(const char* const argv[])
{
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
    return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

PlatformFamily GetPlatformFamily()
{
  const char* family = std::getenv("HALVEX_PLATFORM_FAMILY");
  return family && std::strcmp(family, "9x") == 0 ? PlatformFamily::Win9x : PlatformFamily::NT;
}

bool RequestSystemRestart()
{
  const std::string command = Environment("HALVEX_RESTART_COMMAND");
  if (!command.empty()) {
    const char* const argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    return RunAndWait(argv);
  }
  const char* const argv[] = {"systemctl", "reboot", nullptr};
  return RunAndWait(argv);
}

std::string SystemRootFolder()
{
  std::string folder = Environment("HALVEX_SYSTEM_ROOT");
  if (folder.empty()) {
    // Relative XDG folders are invalid and ignored.
    const std::string data = Environment("XDG_DATA_HOME");
    folder = (!data.empty() && data[0] == '/' ? data : HomeFolder() + "/.local/share") +
             "/halvex/sysroot";
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
