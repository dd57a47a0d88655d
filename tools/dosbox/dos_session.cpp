// DOSBox under Xvfb with a watcher at the keyboard.
#include "dos_session.h"

#include "dosbox_window.h"
#include "platform/files.h"
#include "platform/process.h"
#include "virtual_display.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

namespace dosbox {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(250);

// Sets environment variables for the session's programs and puts the old values back.
class EnvironmentChange
{
public:
  void Set(const char* name, const std::string& value)
  {
    const char* old = std::getenv(name);
    m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    setenv(name, value.c_str(), 1);
  }
  ~EnvironmentChange()
  {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
      if (it->second) {
        setenv(it->first, it->second->c_str(), 1);
      } else {
        unsetenv(it->first);
      }
    }
  }

private:
  std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

class FileDescriptor
{
public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor()
  {
    if (m_fd >= 0) {
      close(m_fd);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

private:
  int m_fd;
};

std::string ReadText(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

DosSession::DosSession(Log log) : m_log(std::move(log)) {}

DosPassResult DosSession::Run(const DosBoot& boot, std::chrono::seconds limit)
{
  std::string folder = platform::GetTempPath() + "/halvex-dosbox-XXXXXX";
  if (!mkdtemp(folder.data())) {
    return {DosPassEnd::Failed, 0, "no temporary folder in " + platform::GetTempPath()};
  }
  DosPassResult result = RunIn(folder, boot, limit);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return result;
}

DosPassResult DosSession::RunIn(const std::string& folder, const DosBoot& boot,
                                std::chrono::seconds limit)
{
  std::string config;
  if (!DosBoxConfigText(boot, config)) {
    return {DosPassEnd::Failed, 0, "the drives cannot be given to DOSBox: " + boot.systemRoot};
  }
  const std::string configFile = folder + "/dosbox.conf";
  std::ofstream(configFile, std::ios::binary) << config;
  const std::string outputFile = folder + "/dosbox.out";
  FileDescriptor output(open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  FileDescriptor input(open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (output.Get() < 0 || input.Get() < 0) {
    return {DosPassEnd::Failed, 0, "cannot write " + outputFile};
  }

  VirtualDisplay display;
  std::string why;
  if (!display.Start(output.Get(), why)) {
    return {DosPassEnd::Failed, 0, why};
  }
  EnvironmentChange environment;
  environment.Set("DISPLAY", display.Name());
  environment.Set("SDL_AUDIODRIVER", "dummy");

  platform::Process emulator;
  if (!emulator.Start({"dosbox", "-conf", configFile}, folder,
                      platform::ProcessStreams{input.Get(), output.Get(), output.Get()})) {
    return {DosPassEnd::Failed, 0, "DOSBox did not start: " + emulator.LastError().message};
  }
  m_log("DOS boots from " + std::string(1, boot.bootDrive) + ": in DOSBox on display " +
        display.Name());

  DosPassResult result;
  DosBoxWindow window;
  const auto deadline = Clock::now() + limit;
  auto shellSince = Clock::now();
  bool shellWaiting = false;
  while (emulator.Wait(0) != platform::WAIT_OBJECT_0) {
    if (Clock::now() >= deadline) {
      emulator.Terminate(0);
      m_log("DOS still runs after " + std::to_string(limit.count()) +
            " s: the emulator is switched off");
      result.end = DosPassEnd::TimedOut;
      return result;
    }
    std::this_thread::sleep_for(kPollInterval);
    if (!window.Found() && !window.Find()) {
      continue;
    }
    // A key only while DOS's shell itself has waited a while: a test program's own keyboard
    // reads are left alone.
    const bool shell = window.RunningProgram() == DosBoxWindow::kShellProgram;
    if (!shell) {
      shellWaiting = false;
      continue;
    }
    if (!shellWaiting) {
      shellWaiting = true;
      shellSince = Clock::now();
    } else if (Clock::now() - shellSince >= kShellWaitBeforeKey) {
      if (window.PressKey("space")) {
        ++result.keysPressed;
        m_log("DOS waits for a key: space pressed");
      }
      shellSince = Clock::now();
    }
  }
  const std::string printed = ReadText(outputFile);
  platform::DWORD exitCode = 0;
  emulator.GetExitCode(&exitCode);
  // DOSBox ends with 0 also when it stopped on a fatal error of its own.
  if (exitCode != 0 || printed.find(kFatalMessage) != std::string::npos) {
    result.end = DosPassEnd::Failed;
    result.detail = "DOSBox ended with " + std::to_string(exitCode) + ": " + printed;
    return result;
  }
  result.end = printed.find(kRestartMessage) != std::string::npos ? DosPassEnd::Restarted
                                                                  : DosPassEnd::Ended;
  if (result.end == DosPassEnd::Restarted) {
    m_log("DOS restarted the machine");
  } else {
    m_log("AUTOEXEC.BAT ended without a restart; DOSBox said: " + printed);
  }
  return result;
}

} // namespace dosbox
