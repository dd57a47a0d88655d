// CDosBatch: the DOS batch files of one load of Marlow. A DOS test case's preparation writes a
// numbered batch file and adds a call of it to the batch list; DOS runs the list after the
// restart. doc/dos_batch.md describes the files.
#pragma once

#include "plinth/dosbatch.h"

#include <string>

namespace marlow {

inline constexpr const char* kBatchFolderName = ::kDosBatchFolderName;
inline constexpr const char* kBatchListName = ::kDosBatchListName;
inline constexpr const char* kHandOverBatchName = ::kDosHandOverBatchName;
inline constexpr const char* kRemarkBatchName = ::kDosRemarkBatchName;
inline constexpr const char* kAutoexecName = ::kDosAutoexecName;
inline constexpr const char* kAutoexecBackupName = ::kDosAutoexecBackupName;
inline constexpr const char* kConfigName = ::kDosConfigName;
inline constexpr const char* kConfigBackupName = ::kDosConfigBackupName;
inline constexpr std::size_t kBatchPrefixLength = 5;

enum class DosBatchResult {
  Written,          // the numbered batch file is written and called by the batch list
  EmptyCommandLine, // nothing to run: nothing written
  FileError,        // a file could not be written; the file-error box was shown
};

} // namespace marlow

// Run-thread only, one call at a time. The counter and the first-time backups of AUTOEXEC.BAT
// and CONFIG.SYS belong to one instance; Marlow keeps one per load (ModuleDosBatch).
class CDosBatch
{
public:
  // The batch folder below the temporary folder.
  static std::string BatchFolder();
  // The first five characters of the test case name, blanks and dots (and whatever else DOS
  // cannot hold in a name) as "_".
  static std::string BatchFilePrefix(const std::string& testCaseName);

  // Builds the batch folder and the names, then writes the numbered batch file of a test case
  // for the DOS command line; iniFolder holds the CONFIG.SYS that DOS boots with.
  marlow::DosBatchResult WriteDosBatch(const std::string& testCaseName,
                                       const std::string& commandLine,
                                       const std::string& iniFolder);
  // Writes numberedFile (the full path), which runs the command line once through the two
  // helper files, and calls AppendToBatchList. False after the file-error box.
  bool WriteNumberedBatch(const std::string& numberedFile, const std::string& commandLine,
                          const std::string& handOverFile, const std::string& remarkFile,
                          const std::string& iniFolder);
  // Adds "call <numbered file>" to the batch list; the first time, backs up AUTOEXEC.BAT and
  // CONFIG.SYS of the system drive and puts iniFolder's CONFIG.SYS in place. False after the
  // file-error box.
  bool AppendToBatchList(const std::string& numberedFile, const std::string& iniFolder);

  // The resume pass: every .bat file of the batch folder deleted, the batch list left empty.
  static void ClearBatchFolder();

  // The number of the next numbered batch file: 1 after the load, one more per appended call.
  int Counter() const { return m_nCounter; }

private:
  // How DOS names a file of the batch folder in the batch files: the bare name on the NT family
  // (everything lies in the floppy's root), else the full DOS path. False when it has none.
  static bool NameForDos(const std::string& linuxPath, std::string& dosName, int& error);
  void BackUpStartupFiles(const std::string& iniFolder);

  int m_nCounter = 1;
};

namespace marlow {
// The instance of this load of the module.
CDosBatch& ModuleDosBatch();
} // namespace marlow
