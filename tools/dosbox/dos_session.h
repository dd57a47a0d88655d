// One boot of the emulated DOS machine: DOSBox on a private virtual display, the boot drive's
// AUTOEXEC.BAT run by DOS, and a key pressed whenever DOS's own shell waits for one (the
// floppy notice's pause), until DOS restarts the machine, the batch ends, or time runs out.
#pragma once

#include "dosbox_config.h"

#include <chrono>
#include <functional>
#include <string>

namespace dosbox {

enum class DosPassEnd {
  Restarted, // the reboot program ran
  Ended,     // AUTOEXEC.BAT ended without a restart
  TimedOut,  // still running at the time limit; the emulator was switched off
  Failed,    // the emulator could not be started
};

struct DosPassResult
{
  DosPassEnd end = DosPassEnd::Failed;
  int keysPressed = 0;
  std::string detail; // why it failed
};

class DosSession
{
public:
  using Log = std::function<void(const std::string&)>;

  // `log` receives one line per event; it is called on this thread.
  explicit DosSession(Log log);

  // Boots once. Changes DISPLAY and SDL_AUDIODRIVER of this process while it runs (DOSBox and
  // xdotool read them) and restores them before returning: call it from a program's only
  // thread.
  DosPassResult Run(const DosBoot& boot, std::chrono::seconds limit);

  // How long DOS's shell must wait in the foreground before a key is pressed: longer than any
  // batch command takes, short against a person's reaction.
  static constexpr std::chrono::milliseconds kShellWaitBeforeKey{2000};
  // What DOSBox prints when the machine is restarted from DOS.
  static constexpr const char* kRestartMessage = "Reboot requested";
  // What DOSBox prints when it stops on an error of its own (no display, a bad setting).
  static constexpr const char* kFatalMessage = "Exit to error";

private:
  DosPassResult RunIn(const std::string& folder, const DosBoot& boot, std::chrono::seconds limit);

  Log m_log;
};

} // namespace dosbox
