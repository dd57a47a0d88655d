// The steps that make a machine ready to run a suite's DOS test cases after the restart, and
// the step that takes them back: the suite saved for the resume, the harness's restart entry,
// the reboot batch, the AUTOEXEC.BAT additions, the boot floppy on the NT family, and the
// undoing when the floppy cannot be made. Run-thread only; windows are reached through the hooks.
#pragma once

#include "harness/prompts.h"
#include "harness/settings.h"
#include "harness/stringtable.h"
#include "platform/system.h"

#include <functional>
#include <string>

class CTestSuite;

namespace harness {

inline constexpr const char* kRestartEntryName = "Start HALVEX Exe";
inline constexpr const char* kDefaultSuiteFileName = "Marlow.ts";

// Where the preparation puts its files (Linux paths).
struct DosPlaces
{
  std::string tempFolder; // T: the temporary folder
  std::string systemRoot; // W: the folder that is DOS's C:
  std::string iniFolder;  // I: the definitions folder as loaded at start-up

  // The places of this process: platform::GetTempPath and platform::SystemRootFolder.
  static DosPlaces Current(const std::string& iniFolder);

  std::string BatchFolder() const;
  std::string InBatchFolder(const std::string& name) const;
  std::string InSystemRoot(const std::string& name) const;
  std::string DefaultSuiteFile() const;
};

struct DosPreparationHooks
{
  LogFunction log;
  // A line for the results window only.
  std::function<void(const std::string&)> addResultLine;
  // Enables or disables the suite window.
  std::function<void(bool)> enableWindow;
  // Stores TestExecutionStatus in the registry (logging when it cannot), and with `inMemory`
  // the harness's own copy as well.
  std::function<void(const std::string& status, bool inMemory)> storeStatus;
};

class CDosPreparation
{
public:
  CDosPreparation(DosPlaces places, platform::PlatformFamily family, platform::DosMachine machine,
                  const StringTable& strings, UserPrompts& prompts, DosPreparationHooks hooks);

  const DosPlaces& Places() const { return m_places; }
  platform::PlatformFamily Family() const { return m_family; }

  // The suite's own file when it can be written, else the default suite file.
  std::string SuiteFileForResume(const std::string& suitePath) const;
  // False after the box and the log line (the suite could not be saved).
  bool SaveSuiteForResume(const std::string& path, CTestSuite& suite);

  // The RunOnce value in run mode, else the Startup shortcut; false (logged) when the entry
  // could not be made.
  bool SetRestartEntry(bool runMode, const std::string& programPath, const std::string& suiteFile);
  void RemoveStartupEntry();

  // reboot.com and the reboot batch into the batch folder.
  bool PrepareRebootBatch();
  // PrepareRebootBatch, then the additions appended to AUTOEXEC.BAT.
  bool PrepareAutoexec();

  // "A:\" when there is a floppy drive; its device is kept for PrepareBootFloppy.
  bool FindFloppyDrive(std::string& root);
  // Asks for the floppy, checks it, and moves the batch files and AUTOEXEC.BAT onto it.
  bool PrepareBootFloppy(const std::string& root);

  // Takes back what a preparation left when the floppy could not be made.
  void UndoDosPreparation();

  // Start lines that DOS never ran (the restart did not happen): AUTOEXEC.BAT goes back to its
  // backup, and on the 9x family CONFIG.SYS as well, as those lines would have done. True when
  // something was put back.
  bool PutBackUnrunStartLines();
  // A start with no DOS run pending: the restart shortcut, unrun start lines and a filled batch
  // list can only be left over from a preparation that was cut short; they go.
  void ClearInterruptedPreparation();

private:
  void Log(unsigned level, const std::string& text) const;
  void ResultLine(const std::string& text) const;
  void EnableWindow(bool enable) const;
  bool FloppyPresent() const;
  // Fails a floppy step: the log line, the window enabled again.
  bool FloppyFailed(const std::string& text) const;
  bool DosFormOfTempFolder(std::string& dosForm) const;
  void LogFileError(const std::string& file, int error) const;
  // Every .bat file of the batch folder deleted, the batch list left empty.
  void ClearBatchFolder();

  DosPlaces m_places;
  platform::PlatformFamily m_family;
  platform::DosMachine m_machine;
  const StringTable& m_strings;
  UserPrompts& m_prompts;
  DosPreparationHooks m_hooks;
  std::string m_floppyDevice;
};

// The box that asks for the boot floppy.
std::string BootFloppyPrompt(const std::string& root);

} // namespace harness
