// A private X display (Xvfb) for the emulator's window: nothing is shown, and keys can be
// pressed in it as a person would.
#pragma once

#include "platform/process.h"

#include <string>

namespace dosbox {

// One Xvfb server, stopped when the object goes. Used from one thread.
class VirtualDisplay
{
public:
  VirtualDisplay() = default;
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // Starts the server on a free display number and waits until a client gets through; false
  // with the reason in `error`. Xvfb's complaints go to errorsFd when it is not -1.
  bool Start(int errorsFd, std::string& error);

  // ":N" once started.
  const std::string& Name() const { return m_name; }

private:
  bool StartOn(int number, int errorsFd, std::string& error);

  platform::Process m_server;
  std::string m_name;
};

} // namespace dosbox
