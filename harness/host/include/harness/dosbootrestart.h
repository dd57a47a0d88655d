// The end of a preparation pass that restarts the machine into DOS: the suite saved for the
// resume, the restart entry, the start-up files, TestExecutionStatus "BatchResume", the boot
// floppy on the NT family, the debug question and the restart with its refusal paths. Any
// floppy failure takes the preparation back. Run-thread only; boxes through the prompts,
// windows through the hooks.
#pragma once

#include "harness/dospreparation.h"
#include "harness/dosrestart.h"

#include <functional>
#include <string>

namespace harness {

struct DosBootHooks
{
  // The preparation's own hooks (log, results window, suite window, status store).
  DosPreparationHooks preparation;
  // Clears the modified flag of every suite document, so that closing asks nothing.
  std::function<void()> clearModifiedFlags;
  // Enables the main window and asks it to close; must not wait for the close.
  std::function<void()> closeMainWindow;
};

class CDosBootRestart : public DosRestart
{
public:
  // programPath: the running program, which the restart entry starts again.
  CDosBootRestart(DosPlaces places, platform::PlatformFamily family, platform::DosMachine machine,
                  const StringTable& strings, UserPrompts& prompts, DosBootHooks hooks,
                  std::string programPath);

  bool AfterPreparationPass(const DosPreparation& preparation) override;
  void RemoveRestartEntry() override;
  void PutBackUnrunStartLines() override;
  void ClearInterruptedPreparation() override;

private:
  // Takes the preparation back and gives the window back: the run ends at once.
  bool Abandon();
  void Restart();

  CDosPreparation m_preparation;
  UserPrompts& m_prompts;
  DosBootHooks m_hooks;
  std::string m_programPath;
};

// The path of the running program, from /proc/self/exe; empty when it cannot be read.
std::string RunningProgramPath();

} // namespace harness
