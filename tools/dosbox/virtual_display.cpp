// Xvfb on a display number it picks itself (-displayfd).
#include "virtual_display.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace dosbox {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(20);

} // namespace

VirtualDisplay::~VirtualDisplay()
{
  if (m_server.Id() > 0) {
    m_server.Terminate(0);
  }
}

bool VirtualDisplay::Start(int errorsFd, std::string& error)
{
  // Xvfb writes the display number it took, and a line feed, once it accepts clients.
  const int numberFd = memfd_create("halvex-display", MFD_CLOEXEC);
  if (numberFd < 0) {
    error = "no file for the display number";
    return false;
  }
  const bool started =
      m_server.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "640x480x16", "-nolisten", "tcp"},
                     {}, platform::ProcessStreams{-1, numberFd, errorsFd});
  if (!started) {
    close(numberFd);
    error = "Xvfb did not start: " + m_server.LastError().message;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  std::string number;
  while (std::chrono::steady_clock::now() < deadline) {
    char buffer[32] = {};
    const ssize_t got = pread(numberFd, buffer, sizeof buffer - 1, 0);
    number = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : "";
    if (number.find('\n') != std::string::npos || m_server.Wait(0) == platform::WAIT_OBJECT_0) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  close(numberFd);
  const auto end = number.find('\n');
  if (end == std::string::npos || end == 0) {
    m_server.Terminate(0);
    error = "Xvfb gave no display within " + std::to_string(kStartLimit.count()) + " s";
    return false;
  }
  m_name = ":" + number.substr(0, end);
  return true;
}

} // namespace dosbox
