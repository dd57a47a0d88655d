// Xvfb on a free display number, ready once a client got through.
#include "virtual_display.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace dosbox {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr platform::DWORD kStopLimitMs = 5000;
constexpr platform::DWORD kProbeLimitMs = 10000;
constexpr int kFirstDisplay = 200;
constexpr int kLastDisplay = 899;
constexpr int kAttempts = 8;

} // namespace

VirtualDisplay::~VirtualDisplay()
{
  // Asked first, so that the server removes its lock and socket files; made to end after.
  if (m_server.Id() > 0 && m_server.Wait(0) != platform::WAIT_OBJECT_0) {
    kill(m_server.Id(), SIGTERM);
    if (m_server.Wait(kStopLimitMs) != platform::WAIT_OBJECT_0) {
      m_server.Terminate(0);
    }
  }
}

bool VirtualDisplay::Start(int errorsFd, std::string& error)
{
  // /tmp/.X11-unix is shared by everything on the machine, and other programs like the low
  // display numbers: a random high number is tried, and another after any trouble.
  std::random_device seed;
  std::uniform_int_distribution<int> pick(kFirstDisplay, kLastDisplay);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int number = pick(seed);
    if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) {
      continue;
    }
    if (StartOn(number, errorsFd, error)) {
      return true;
    }
  }
  if (error.empty()) {
    error = "no free X display number";
  }
  return false;
}

bool VirtualDisplay::StartOn(int number, int errorsFd, std::string& error)
{
  const std::string name = ":" + std::to_string(number);
  // Xvfb writes the display number and a line feed once it accepts clients.
  const int numberFd = memfd_create("halvex-display", MFD_CLOEXEC);
  if (numberFd < 0) {
    error = "no file for the display number";
    return false;
  }
  platform::Process server;
  const bool started = server.Start({"Xvfb", name, "-displayfd", "1", "-noreset", "-screen", "0",
                                     "640x480x16", "-nolisten", "tcp"},
                                    {}, platform::ProcessStreams{-1, numberFd, errorsFd});
  if (!started) {
    close(numberFd);
    error = "Xvfb did not start: " + server.LastError().message;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  bool ready = false;
  while (!ready && std::chrono::steady_clock::now() < deadline &&
         server.Wait(0) != platform::WAIT_OBJECT_0) {
    char buffer[32] = {};
    ready = pread(numberFd, buffer, sizeof buffer - 1, 0) > 0 && std::strchr(buffer, '\n');
    if (!ready) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  close(numberFd);
  // A client must get through before the display counts as ours.
  platform::ProgramResult probe;
  platform::ProcessError probeError;
  if (!ready ||
      !platform::RunProgram({"env", "DISPLAY=" + name, "xdotool", "getdisplaygeometry"},
                            kProbeLimitMs, probe, probeError) ||
      probe.exitCode != 0) {
    server.Terminate(0);
    error = "Xvfb on display " + name + " did not take clients";
    return false;
  }
  m_server = std::move(server);
  m_name = name;
  return true;
}

} // namespace dosbox
