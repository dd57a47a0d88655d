// The numbered batch files, the batch list and the first-time backups of the start-up files.
#include "marlow/dosbatch.h"

#include "marlow/commandlinerules.h"
#include "marlow/fileerrorbox.h"

#include "skeleton/logmessage.h"
#include "skeleton/strings.h"

#include "platform/fdio.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/volumes.h"

#include "plinth/dosstartlines.h"

#include <cerrno>

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

using components::FormatText;

namespace {

std::string Join(const std::string& folder, const std::string& name)
{
  if (!folder.empty() && folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

std::string BaseName(const std::string& path)
{
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Batch text as DOS reads it: every line end a carriage return and a line feed.
std::string DosText(const std::string& text)
{
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

// Writes bytes at the end of path (created when missing, never truncated), or, with truncate,
// as its whole content. 0 or a file error number.
int WriteFileBytes(const std::string& path, const std::string& bytes, bool truncate)
{
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND);
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0)
    return platform::ErrorFromErrno(errno);
  int error = platform::WriteAll(fd, bytes.data(), bytes.size());
  if (::close(fd) != 0 && error == 0)
    error = errno;
  return error == 0 ? platform::kErrorSuccess : platform::ErrorFromErrno(error);
}

// The command line as a batch line: double quotes become blanks, outer blanks go.
std::string BatchCommandLine(std::string commandLine)
{
  for (char& c : commandLine)
    if (c == '"')
      c = ' ';
  const std::size_t first = commandLine.find_first_not_of(' ');
  if (first == std::string::npos)
    return {};
  return commandLine.substr(first, commandLine.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string CDosBatch::BatchFolder()
{
  return Join(platform::GetTempPath(), marlow::kBatchFolderName);
}

std::string CDosBatch::BatchFilePrefix(const std::string& testCaseName)
{
  std::string prefix = testCaseName.substr(0, marlow::kBatchPrefixLength);
  for (char& c : prefix) {
    // A character that is no part of a DOS name (a slash above all) would make the file
    // unreachable for DOS or put it outside the batch folder.
    if (c == ' ' || c == '.' || !platform::IsDosShortName(std::string(1, c)))
      c = '_';
  }
  return prefix;
}

bool CDosBatch::NameForDos(const std::string& linuxPath, std::string& dosName, int& error)
{
  if (platform::GetPlatformFamily() == platform::PlatformFamily::NT) {
    dosName = BaseName(linuxPath);
    return true;
  }
  error = platform::DosPathFromLinux(linuxPath, dosName);
  return error == platform::kErrorSuccess;
}

marlow::DosBatchResult CDosBatch::WriteDosBatch(const std::string& testCaseName,
                                                const std::string& commandLine,
                                                const std::string& iniFolder)
{
  const std::string folder = BatchFolder();
  const int madeError = platform::CreateDirectory(folder);
  const std::string numbered =
      Join(folder, FormatText("%s%03d.bat", BatchFilePrefix(testCaseName).c_str(), m_nCounter));
  if (BatchCommandLine(commandLine).empty())
    return marlow::DosBatchResult::EmptyCommandLine;
  if (madeError != platform::kErrorSuccess && madeError != platform::kErrorAlreadyExists) {
    marlow::ShowFileErrorBox(numbered, madeError);
    return marlow::DosBatchResult::FileError;
  }
  if (!WriteNumberedBatch(numbered, commandLine, Join(folder, marlow::kHandOverBatchName),
                          Join(folder, marlow::kRemarkBatchName), iniFolder))
    return marlow::DosBatchResult::FileError;
  return marlow::DosBatchResult::Written;
}

bool CDosBatch::WriteNumberedBatch(const std::string& numberedFile, const std::string& commandLine,
                                   const std::string& handOverFile, const std::string& remarkFile,
                                   const std::string& iniFolder)
{
  std::string numbered;
  std::string handOver;
  std::string remark;
  int error = platform::kErrorSuccess;
  // On the 9x family DOS reaches the batch folder on C: only when it lies below the system
  // drive folder with DOS names.
  if (!NameForDos(numberedFile, numbered, error) || !NameForDos(handOverFile, handOver, error) ||
      !NameForDos(remarkFile, remark, error)) {
    marlow::ShowFileErrorBox(numberedFile, error);
    return false;
  }
  const std::string text = DosText(
      FormatText("echo REM Created by Redi Devuzad > %s\n", remark.c_str()) +
      FormatText("echo copy %s %s > %s\n", remark.c_str(), numbered.c_str(), handOver.c_str()) +
      FormatText("echo %s >> %s\n", BatchCommandLine(commandLine).c_str(), handOver.c_str()) +
      handOver);
  error = WriteFileBytes(numberedFile, text, true);
  if (error != platform::kErrorSuccess) {
    marlow::ShowFileErrorBox(numberedFile, error);
    return false;
  }
  return AppendToBatchList(numbered, iniFolder);
}

bool CDosBatch::AppendToBatchList(const std::string& numberedFile, const std::string& iniFolder)
{
  if (m_nCounter == 1)
    BackUpStartupFiles(iniFolder);
  ++m_nCounter;
  const int error = WriteFileBytes(Join(BatchFolder(), marlow::kBatchListName),
                                   FormatText("\r\ncall %s", numberedFile.c_str()), false);
  if (error == platform::kErrorSuccess)
    return true;
  marlow::ShowFileErrorBox(numberedFile, error);
  return false;
}

namespace {

// Copies file over backup. False, after a log line, when the file exists but its copy failed:
// whoever replaces the file then would lose the only copy of the machine's own.
bool BackUp(const std::string& file, const std::string& backup)
{
  const int error = platform::CopyFile(file, backup, false);
  if (error == platform::kErrorSuccess || error == platform::kErrorFileNotFound)
    return true;
  components::LogMessage(components::kLogError,
                         FormatText("ERROR: %s could not be backed up to %s, error code %d.",
                                    file.c_str(), backup.c_str(), error));
  return false;
}

} // namespace

void CDosBatch::BackUpStartupFiles(const std::string& iniFolder)
{
  const std::string root = platform::SystemRootFolder();
  const std::string autoexec = Join(root, marlow::kAutoexecName);
  const std::string autoexecBackup = Join(root, marlow::kAutoexecBackupName);
  if (HoldsUnrunDosStartLines(autoexec, autoexecBackup)) {
    components::LogMessage(components::kLogNotice,
                           FormatText("%s still held the start lines of an earlier DOS run; it "
                                      "is put back from %s.",
                                      autoexec.c_str(), autoexecBackup.c_str()));
    platform::CopyFile(autoexecBackup, autoexec, false);
  }
  BackUp(autoexec, autoexecBackup);

  std::string folder = iniFolder;
  while (!folder.empty() && folder.back() == ' ')
    folder.pop_back();
  const std::string testConfig = Join(folder, marlow::kConfigName);
  const std::string config = Join(root, marlow::kConfigName);
  const std::string configBackup = Join(root, marlow::kConfigBackupName);
  // A CONFIG.SYS that is already the tests' one was put there by an earlier load, which kept
  // the machine's own in the backup; backing it up again would overwrite that.
  std::string wanted;
  std::string current;
  std::string saved;
  ReadStartFileBytes(testConfig, wanted);
  const bool inPlace = ReadStartFileBytes(config, current) && current == wanted &&
                       ReadStartFileBytes(configBackup, saved);
  if (!inPlace && !BackUp(config, configBackup))
    return;
  if (platform::CopyFile(testConfig, config, false) != platform::kErrorSuccess)
    WriteFileBytes(config, "", true);
}

void CDosBatch::ClearBatchFolder()
{
  const std::string folder = BatchFolder();
  platform::FileFinder finder;
  platform::FindData found;
  if (finder.FindFirstFile(Join(folder, "*.bat"), found) != platform::kErrorSuccess)
    return;
  do {
    if ((found.attributes & platform::kFileAttributeDirectory) != 0)
      continue;
    platform::DeleteFile(found.path);
    if (strcasecmp(found.name.c_str(), marlow::kBatchListName) == 0)
      WriteFileBytes(found.path, "", true);
  } while (finder.FindNextFile(found) == platform::kErrorSuccess);
  finder.FindClose();
}

namespace marlow {

CDosBatch& ModuleDosBatch()
{
  static CDosBatch batch;
  return batch;
}

} // namespace marlow
