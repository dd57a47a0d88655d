// halvex-dosbox: the restart command of the emulated DOS machine. With HALVEX_RESTART_COMMAND
// naming it and the registry's DosMachine value "emulator", a restart request of the harness
// accepts at once and then, in the background, does what the real PC would: ends the program
// that asked (as a shut-down does), boots DOS in DOSBox with the floppy as A: and the system
// root as C:, and at the next "log-in" starts the RunOnce values and the Startup shortcuts.
//
// Exit codes: 0 the restart is accepted (--foreground: the DOS pass and the log-in are done),
// 1 refused because DosMachine is not "emulator", 2 it cannot run (usage, missing programs, no
// floppy on the NT family, an unusable setting).
#include "dos_session.h"
#include "platform/files.h"
#include "platform/modules.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/standardoptions.h"
#include "platform/system.h"
#include "platform/volumes.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kAccepted = 0;
constexpr int kRefused = 1;
constexpr int kCannot = 2;

// Boots of the 9x family: the DOS pass, then the boot that restores the start-up files on the
// way into the system; a batch that keeps restarting is stopped there.
constexpr int kMaxBoots9x = 4;
// Time the requester gets to finish its report before the shut-down begins, and to end after
// it was asked to.
constexpr auto kShutdownDelay = std::chrono::seconds(2);
constexpr auto kShutdownGrace = std::chrono::seconds(10);
constexpr long kDefaultLimitSeconds = 1800;

const char* const kUsage =
    "Usage: halvex-dosbox [--timeout SECONDS] [--keep-requester] [--foreground] [--force]\n"
    "  The restart command of the emulated DOS machine (HALVEX_RESTART_COMMAND).\n"
    "  --timeout SECONDS  switch DOS off after this long per boot (default 1800)\n"
    "  --keep-requester   do not end the program that asked for the restart\n"
    "  --foreground       run the DOS pass and the log-in before returning (implies\n"
    "                     --keep-requester)\n"
    "  --force            accepted as the forced retry of a restart; changes nothing\n";

struct Options
{
  std::chrono::seconds limit{kDefaultLimitSeconds};
  bool keepRequester = false;
  bool foreground = false;
};

void Log(const std::string& line)
{
  const std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::cerr << stamp << " halvex-dosbox[" << getpid() << "]: " << line << std::endl;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--timeout" && i + 1 < argc) {
      char* end = nullptr;
      const long seconds = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || seconds <= 0) {
        return false;
      }
      options.limit = std::chrono::seconds(seconds);
    } else if (arg == "--keep-requester") {
      options.keepRequester = true;
    } else if (arg == "--foreground") {
      options.foreground = options.keepRequester = true;
    } else if (arg != "--force") {
      return false;
    }
  }
  return true;
}

bool OnPath(const std::string& program)
{
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  std::size_t start = 0;
  while (start <= folders.size()) {
    auto end = folders.find(':', start);
    if (end == std::string::npos) {
      end = folders.size();
    }
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    if (access((folder + "/" + program).c_str(), X_OK) == 0) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

// Everything a boot needs, checked before the restart is accepted.
struct Machine
{
  platform::PlatformFamily family = platform::PlatformFamily::NT;
  dosbox::DosBoot boot;
};

int CheckMachine(Machine& machine)
{
  const std::string ini = platform::ProgramFolder() + "/halvex.ini";
  const std::string rootKey = platform::ReadProfileString(ini, "General", "RegistryKey");
  if (rootKey.empty()) {
    Log("no RegistryKey in " + ini + ": the DOS machine cannot be read");
    return kCannot;
  }
  if (platform::GetDosMachine(rootKey) != platform::DosMachine::Emulator) {
    Log(std::string("DosMachine under HKEY_LOCAL_MACHINE\\") + rootKey +
        " is not \"emulator\": this PC restarts itself, not through this command");
    return kRefused;
  }
  for (const char* program : {"dosbox", "Xvfb", "xdotool"}) {
    if (!OnPath(program)) {
      Log(std::string(program) + " is not installed (scripts/setup installs it)");
      return kCannot;
    }
  }
  machine.family = platform::GetPlatformFamily();
  machine.boot.systemRoot = platform::SystemRootFolder();
  if (machine.family == platform::PlatformFamily::NT) {
    // The NT family boots DOS from the floppy.
    if (const int error = platform::FindFloppyDevice(machine.boot.floppyDevice)) {
      Log("no floppy to boot from (HALVEX_FLOPPY), error " + std::to_string(error));
      return kCannot;
    }
    machine.boot.bootDrive = 'A';
  }
  return kAccepted;
}

// As a shut-down does: ask the requester to end, then make it.
void EndRequester(pid_t requester)
{
  if (requester <= 1) {
    return;
  }
  std::this_thread::sleep_for(kShutdownDelay);
  if (kill(requester, SIGTERM) != 0) {
    return;
  }
  Log("shut-down: asked process " + std::to_string(requester) + " to end");
  const auto deadline = std::chrono::steady_clock::now() + kShutdownGrace;
  while (platform::IsProcessRunning(requester) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (platform::IsProcessRunning(requester)) {
    kill(requester, SIGKILL);
    Log("shut-down: process " + std::to_string(requester) + " killed");
  }
}

bool RunDos(const Machine& machine, std::chrono::seconds limit)
{
  dosbox::DosSession session(Log);
  const int boots = machine.family == platform::PlatformFamily::NT ? 1 : kMaxBoots9x;
  for (int boot = 1; boot <= boots; ++boot) {
    const dosbox::DosPassResult result = session.Run(machine.boot, limit);
    if (result.end == dosbox::DosPassEnd::Failed) {
      Log("DOS could not run: " + result.detail);
      return false;
    }
    // The 9x family boots its hard disk again; the batch, neutralised by its first run, now
    // restores AUTOEXEC.BAT and CONFIG.SYS and ends. On the NT family the floppy is taken out.
    if (result.end == dosbox::DosPassEnd::Ended) {
      break;
    }
    if (boot == boots && boots > 1) {
      Log("DOS restarted " + std::to_string(boots) + " times: the machine is left to start");
    }
  }
  return true;
}

void LogStarted(const std::vector<platform::StartedProgram>& started)
{
  for (const auto& program : started) {
    Log((program.error == 0 ? "log-in started " : "log-in could not start ") + program.source +
        ": " + platform::JoinCommandLine(program.words) +
        (program.error == 0 ? "" : " (error " + std::to_string(program.error) + ")"));
  }
}

// What the next log-in starts: the RunOnce values, then the Startup shortcuts.
void LogIn()
{
  std::vector<platform::StartedProgram> started;
  if (const auto error = platform::RunRunOnceValues(true, started)) {
    Log("the RunOnce values could not be read, error " + std::to_string(error));
  }
  LogStarted(started);
  std::string startup;
  if (const auto error = platform::GetStartupFolder(startup)) {
    Log("no Startup folder in the registry, error " + std::to_string(error));
    return;
  }
  if (const int error = platform::StartStartupShortcuts(startup, started)) {
    Log("the Startup folder " + startup + " cannot be read, error " + std::to_string(error));
  }
  LogStarted(started);
}

// Leaves the requester's session: the rest runs on while the requester ends.
bool Detach(const std::string& logFile)
{
  std::cout.flush();
  std::cerr.flush();
  const pid_t child = fork();
  if (child < 0) {
    return false;
  }
  if (child > 0) {
    _exit(kAccepted);
  }
  setsid();
  const int input = open("/dev/null", O_RDONLY);
  const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (input >= 0) {
    dup2(input, STDIN_FILENO);
    close(input);
  }
  if (log >= 0) {
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    close(log);
  }
  return true;
}

int Main(int argc, char** argv)
{
  if (const auto answered = platform::AnswerStandardOption(argc, argv, "halvex-dosbox", kUsage))
    return *answered;
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << kUsage;
    return kCannot;
  }
  Machine machine;
  if (const int status = CheckMachine(machine)) {
    return status;
  }
  const pid_t requester = getppid();
  if (!options.foreground) {
    const std::string logFile = platform::GetTempPath() + "/halvex-dosbox.log";
    Log("restart accepted: DOS runs in DOSBox, the log goes on in " + logFile);
    if (!Detach(logFile)) {
      Log("cannot go on in the background");
      return kCannot;
    }
  }
  if (!options.keepRequester) {
    EndRequester(requester);
  }
  const bool ran = RunDos(machine, options.limit);
  LogIn();
  return ran ? kAccepted : kCannot;
}

} // namespace

int main(int argc, char** argv)
{
  try {
    return Main(argc, argv);
  } catch (const std::exception& error) {
    Log(std::string("stopped: ") + error.what());
    return kCannot;
  }
}
