// The preparation of a DOS run and its undoing.
#include "harness/dospreparation.h"

#include "harness/dosstartfiles.h"
#include "harness/fileexception.h"
#include "harness/halvexdoc.h"
#include "harness/startup.h"
#include "harness/stringids.h"
#include "platform/files.h"
#include "platform/floppy_files.h"
#include "platform/reboot_program.h"
#include "platform/shell.h"
#include "platform/volumes.h"
#include "plinth/dosstartlines.h"

#include <cstdio>
#include <filesystem>
#include <strings.h>
#include <unistd.h>

namespace harness {

namespace {

std::string Format(const char* pattern, const std::string& a)
{
  const int size = std::snprintf(nullptr, 0, pattern, a.c_str());
  std::string text(static_cast<std::size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, a.c_str());
  return text;
}

// Writes `bytes` to the file, at its end ("ab") or in place of what it held ("wb").
int WriteBytes(const std::string& path, const std::string& bytes, const char* mode)
{
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr)
    return platform::ErrorFromErrno(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = written ? 0 : errno;
  if (std::fclose(file) != 0 && written)
    return platform::ErrorFromErrno(errno);
  return written ? 0 : platform::ErrorFromErrno(writeError);
}

bool Exists(const std::string& path)
{
  return access(path.c_str(), F_OK) == 0;
}

} // namespace

DosPlaces DosPlaces::Current(const std::string& iniFolder)
{
  return {platform::GetTempPath(), platform::SystemRootFolder(), iniFolder};
}

std::string DosPlaces::BatchFolder() const
{
  return tempFolder + "/" + kDosBatchFolderName;
}

std::string DosPlaces::InBatchFolder(const std::string& name) const
{
  return BatchFolder() + "/" + name;
}

std::string DosPlaces::InSystemRoot(const std::string& name) const
{
  return systemRoot + "/" + name;
}

std::string DosPlaces::DefaultSuiteFile() const
{
  return iniFolder + "/" + kDefaultSuiteFileName;
}

std::string BootFloppyPrompt(const std::string& root)
{
  return Format(
      "\n\nInsert a Bootable Floppy Diskette in drive %s\nSelect OK to continue.\nSelect CANCEL "
      "to abort the execution\n"
      "---------------------------------------------------------------------\nTo create an "
      "MS-DOS bootable floppy disk\n1. Start MS-DOS. Put a blank floppy disk in drive A.\n2. "
      "Type \"format a: /s\" and press enter.\n   You must specify the /s switch to make the "
      "floppy disk bootable\n"
      "---------------------------------------------------------------------\n",
      root);
}

CDosPreparation::CDosPreparation(DosPlaces places, platform::PlatformFamily family,
                                 platform::DosMachine machine, const StringTable& strings,
                                 UserPrompts& prompts, DosPreparationHooks hooks)
    : m_places(std::move(places)), m_family(family), m_machine(machine), m_strings(strings),
      m_prompts(prompts), m_hooks(std::move(hooks))
{
}

void CDosPreparation::Log(unsigned level, const std::string& text) const
{
  if (m_hooks.log)
    m_hooks.log(level, text);
}

void CDosPreparation::ResultLine(const std::string& text) const
{
  if (m_hooks.addResultLine)
    m_hooks.addResultLine(text);
}

void CDosPreparation::EnableWindow(bool enable) const
{
  if (m_hooks.enableWindow)
    m_hooks.enableWindow(enable);
}

void CDosPreparation::LogFileError(const std::string& file, int error) const
{
  Log(0, FormatFileExceptionReport(m_strings, FileCauseFromErrno(error), file, error));
}

std::string CDosPreparation::SuiteFileForResume(const std::string& suitePath) const
{
  // The read-only mark counts even where the process could write anyway (as root).
  std::uint32_t attributes = 0;
  if (!suitePath.empty() && platform::GetFileAttributes(suitePath, attributes) == 0 &&
      (attributes & platform::kFileAttributeReadOnly) == 0 && access(suitePath.c_str(), W_OK) == 0)
    return suitePath;
  return m_places.DefaultSuiteFile();
}

bool CDosPreparation::SaveSuiteForResume(const std::string& path, CTestSuite& suite)
{
  // Written beside and renamed: a failed save leaves the file the resume would read whole.
  std::string error;
  if (WriteSuiteFile(suite, path, error))
    return true;
  const std::string text = m_strings.Format(ids::kSuiteResumeSaveFailed, {path});
  m_prompts.Show(text, BoxIcon::Warning);
  Log(0, text);
  return false;
}

bool CDosPreparation::SetRestartEntry(bool runMode, const std::string& programPath,
                                      const std::string& suiteFile)
{
  if (runMode) {
    const std::string line =
        platform::RunOnceCommandLine(programPath, Format("-run \"%s\"", suiteFile));
    if (platform::SetRunOnceValue(kRestartEntryName, line) != 0) {
      Log(0, "Severe error: Unable to access the WINDOWS startup registry key");
      return false;
    }
    return true;
  }
  std::string folder;
  if (platform::GetStartupFolder(folder) != 0) {
    Log(0, "Severe error: Unable to access the WINDOWS Startup folder registry key");
    return false;
  }
  const int error = platform::CreateStartupShortcut(
      folder, kRestartEntryName, Format("\"%s\"", programPath), Format("\"%s\"", suiteFile));
  if (error != 0) {
    LogFileError(folder + "/" + platform::StartupShortcutFileName(kRestartEntryName), error);
    return false;
  }
  return true;
}

void CDosPreparation::RemoveStartupEntry()
{
  std::string folder;
  if (platform::GetStartupFolder(folder) != 0) {
    Log(0, "Severe error: Unable to access the WINDOWS Startup folder registry key");
    return;
  }
  platform::RemoveStartupShortcut(folder, kRestartEntryName);
}

bool CDosPreparation::DosFormOfTempFolder(std::string& dosForm) const
{
  if (m_family == platform::PlatformFamily::NT)
    return true; // bare names: the floppy's root holds everything
  const int error = platform::DosPathFromLinux(m_places.tempFolder, dosForm);
  if (error != 0) {
    Log(0, "DOS cannot reach the temporary folder " + m_places.tempFolder +
               ": it must lie below the system drive folder " + m_places.systemRoot + ".");
    return false;
  }
  return true;
}

bool CDosPreparation::PrepareRebootBatch()
{
  std::string tempDos;
  if (!DosFormOfTempFolder(tempDos))
    return false;
  platform::CreateDirectory(m_places.BatchFolder());
  const std::string program = m_places.InBatchFolder(platform::kRebootProgramName);
  // The definitions folder may hold a reboot program of its own; ours serves otherwise.
  const std::string source = m_places.iniFolder + "/" + platform::kRebootProgramName;
  int error = Exists(source) ? platform::CopyFile(source, program, false)
                             : platform::WriteRebootProgram(program);
  if (error != 0) {
    LogFileError(program, error);
    return false;
  }
  const std::string batch = m_places.InBatchFolder(kDosRebootBatchName);
  error =
      WriteBytes(batch, RebootBatchText(m_family, RebootBatchNamesFor(m_family, tempDos)), "wb");
  if (error != 0) {
    LogFileError(batch, error);
    return false;
  }
  return true;
}

bool CDosPreparation::PrepareAutoexec()
{
  if (!PrepareRebootBatch())
    return false;
  std::string tempDos;
  DosFormOfTempFolder(tempDos);
  const std::string autoexec = m_places.InSystemRoot(kDosAutoexecName);
  const int error = WriteBytes(autoexec, AutoexecAdditions(m_family, tempDos, "C:\\"), "ab");
  if (error != 0) {
    LogFileError(autoexec, error);
    return false;
  }
  return true;
}

bool CDosPreparation::FindFloppyDrive(std::string& root)
{
  if (platform::FindFloppyDevice(m_floppyDevice) != 0)
    return false;
  root = platform::kFloppyDriveRoot;
  return true;
}

bool CDosPreparation::FloppyPresent() const
{
  platform::VolumeInformation info;
  return platform::GetVolumeInformation(m_floppyDevice, info) == 0 && info.serialNumber != 0;
}

bool CDosPreparation::FloppyFailed(const std::string& text) const
{
  Log(0, text);
  EnableWindow(true);
  return false;
}

bool CDosPreparation::PrepareBootFloppy(const std::string& root)
{
  BoxRequest request{BootFloppyPrompt(root), BoxIcon::Information, BoxButtons::OkCancel,
                     BoxAnswer::Ok, false};
  if (m_prompts.Ask(request) != BoxAnswer::Ok) {
    Log(0, "DOS tests execution is canceled.");
    return false;
  }
  EnableWindow(false);
  if (!FloppyPresent())
    return FloppyFailed(Format("Floppy is not found in drive %s", root));
  platform::VolumeInformation floppy;
  platform::GetVolumeInformation(m_floppyDevice, floppy);
  if (!platform::IsFatFileSystemName(floppy.fileSystemName))
    return FloppyFailed("Invalid FAT file sytem on floppy");
  // A real PC boots DOS, which must read the definitions folder; the emulator reaches any
  // Linux folder.
  if (m_machine == platform::DosMachine::Restart) {
    std::string fileSystem;
    platform::GetFolderFileSystemName(m_places.iniFolder, fileSystem);
    if (!platform::IsFatFileSystemName(fileSystem))
      return FloppyFailed(Format("Invalid FAT file sytem -  \"%s\"", m_places.iniFolder));
  }
  const std::string autoexec = m_places.InSystemRoot(kDosAutoexecName);
  if (!Exists(autoexec) && WriteBytes(autoexec, "", "wb") == 0)
    ResultLine("autoexec.bat is created.");

  const platform::FloppyFiles files(m_floppyDevice);
  ResultLine(Format("Checking for batch files in the floppy(drive %s)", root));
  std::vector<platform::FloppyEntry> old;
  files.List(Format("%s*.bat*", root), old);
  for (const platform::FloppyEntry& entry : old) {
    if (entry.directory)
      continue;
    const std::string path = root + entry.name;
    if (files.Delete(path) != 0)
      break;
    ResultLine(Format("Deleting %s", path));
  }
  platform::FloppyEntry command;
  if (files.Find(Format("%scommand.com", root), command) != 0)
    return FloppyFailed("Invalid MS DOS bootable floppy.");

  // Without its AUTOEXEC.BAT the floppy would boot DOS to a prompt and run no test.
  if (files.CopyTo(autoexec, root + kDosAutoexecName, false) != 0)
    return FloppyFailed(
        Format("AUTOEXEC.BAT cannot be copied to the floppy: %s", files.LastErrorText()));
  // The hard disk boots as before; only the floppy starts the DOS tests.
  const std::string backup = m_places.InSystemRoot(kDosAutoexecBackupName);
  if (platform::CopyFile(backup, autoexec, false) == 0)
    platform::DeleteFile(backup);

  const std::string pattern = m_places.InBatchFolder("*.*");
  platform::FileFinder finder;
  platform::FindData data;
  bool found = false;
  for (int error = finder.FindFirstFile(pattern, data); error == 0;
       error = finder.FindNextFile(data)) {
    found = true;
    if ((data.attributes & platform::kFileAttributeDirectory) != 0)
      continue;
    const std::string target = root + data.name;
    // A file of an earlier preparation (reboot.com) gives way to this one's.
    int moved = files.MoveTo(data.path, target);
    if (moved == platform::kErrorAlreadyExists && files.Delete(target) == 0)
      moved = files.MoveTo(data.path, target);
    if (moved == 0)
      ResultLine("Copying " + data.path + "  to  " + target);
  }
  finder.FindClose();
  if (!found)
    return FloppyFailed(Format("Batch Files are not found in %s directory", pattern));
  if (!FloppyPresent())
    return FloppyFailed(Format("Floppy is not found in drive %s", root));
  EnableWindow(true);
  return true;
}

void CDosPreparation::ClearBatchFolder()
{
  platform::FileFinder finder;
  platform::FindData data;
  for (int error = finder.FindFirstFile(m_places.InBatchFolder("*.bat"), data); error == 0;
       error = finder.FindNextFile(data)) {
    platform::DeleteFile(data.path);
    if (strcasecmp(data.name.c_str(), kDosBatchListName) == 0)
      WriteBytes(data.path, "", "wb");
  }
  finder.FindClose();
}

void CDosPreparation::UndoDosPreparation()
{
  RemoveStartupEntry();
  // Run mode's entry too: left, it would start a preparation again at every log-in.
  platform::DeleteRunOnceValue(kRestartEntryName);
  ClearBatchFolder();
  if (m_hooks.storeStatus)
    m_hooks.storeStatus(kStatusPrebootbatch, true);
  platform::CopyFile(m_places.InSystemRoot(kDosAutoexecBackupName),
                     m_places.InSystemRoot(kDosAutoexecName), false);
}

bool CDosPreparation::PutBackUnrunStartLines()
{
  const std::string autoexec = m_places.InSystemRoot(kDosAutoexecName);
  const std::string backup = m_places.InSystemRoot(kDosAutoexecBackupName);
  if (!HoldsUnrunDosStartLines(autoexec, backup))
    return false;
  Log(3, autoexec +
             " still held the start lines of a DOS run that did not happen; it is put "
             "back from " +
             backup + ".");
  // Replaced whole or not at all: the file is never left torn.
  if (const int error = platform::CopyFile(backup, autoexec, false); error != 0) {
    LogFileError(autoexec, error);
    return false;
  }
  platform::DeleteFile(backup);
  if (m_family == platform::PlatformFamily::Win9x) {
    const std::string configBackup = m_places.InSystemRoot(kDosConfigBackupName);
    if (platform::CopyFile(configBackup, m_places.InSystemRoot(kDosConfigName), false) == 0)
      platform::DeleteFile(configBackup);
  }
  return true;
}

void CDosPreparation::ClearInterruptedPreparation()
{
  // Quietly: a machine without a Startup folder has no shortcut to remove.
  std::string folder;
  if (platform::GetStartupFolder(folder) == 0)
    platform::RemoveStartupShortcut(folder, kRestartEntryName);
  PutBackUnrunStartLines();
  std::error_code error;
  const auto listSize =
      std::filesystem::file_size(m_places.InBatchFolder(kDosBatchListName), error);
  if (!error && listSize > 0)
    ClearBatchFolder();
}

} // namespace harness
