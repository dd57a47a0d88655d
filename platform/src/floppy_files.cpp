// Floppy files through mtools: each call is one run of an mtools program on the device.
#include "platform/floppy_files.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/volumes.h"

#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr DWORD kMtoolsTimeoutMs = 60000;

// The mtools folder part and last part of an mtools path ("::/A/B" gives "::/A" and "B").
std::pair<std::string, std::string> SplitLast(const std::string& mtoolsPath)
{
  const auto slash = mtoolsPath.rfind('/');
  std::string folder = mtoolsPath.substr(0, slash);
  if (folder == "::") {
    folder = "::/";
  }
  return {folder, mtoolsPath.substr(slash + 1)};
}

// The error number for what mtools wrote to its standard error.
int ErrorFromMtools(const std::string& errors)
{
  struct Message
  {
    const char* text;
    int error;
  };
  static constexpr Message messages[] = {
      {"Disk full", kErrorDiskFull},
      {"no match for target", kErrorPathNotFound},
      {"Bad target", kErrorPathNotFound},
      {"not found", kErrorFileNotFound},
      {"non DOS media", kErrorUnrecognizedVolume},
      {"Read-only", kErrorWriteProtect},
      {"Permission denied", kErrorAccessDenied},
  };
  for (const auto& message : messages) {
    if (errors.find(message.text) != std::string::npos) {
      return message.error;
    }
  }
  return kErrorGenFailure;
}

// "", "\\", "A:" or "A:\\": the root, which has no mtools path of its own.
bool IsRootFolder(std::string folder)
{
  if (folder.size() >= 2 && (folder[0] == 'A' || folder[0] == 'a') && folder[1] == ':') {
    folder.erase(0, 2);
  }
  return folder.find_first_not_of("\\/") == std::string::npos;
}

int LinuxFileStatus(const std::string& path, struct stat& info)
{
  if (stat(path.c_str(), &info) == 0) {
    return kErrorSuccess;
  }
  std::uint32_t attributes = 0;
  return GetFileAttributes(path, attributes); // the file layer's own "file" or "path" answer
}

} // namespace

bool MtoolsPathFromFloppy(const std::string& floppyPath, std::string& mtoolsPath)
{
  std::string rest = floppyPath;
  if (rest.size() >= 2 && (rest[0] == 'A' || rest[0] == 'a') && rest[1] == ':') {
    rest.erase(0, 2);
  }
  std::string path = "::";
  std::string part;
  const auto flush = [&] {
    if (!part.empty()) {
      path += "/" + part;
    }
    part.clear();
  };
  for (char c : rest) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '/') {
      flush();
    } else if (byte < 32 || std::strchr(":\"*?<>|", c) != nullptr) {
      return false;
    } else {
      part += c;
    }
  }
  flush();
  if (path == "::") {
    return false;
  }
  mtoolsPath = path;
  return true;
}

FloppyFiles::FloppyFiles(std::string device) : m_device(std::move(device)) {}

int FloppyFiles::CheckMedium() const
{
  VolumeInformation info;
  if (const int error = GetVolumeInformation(m_device, info)) {
    return error;
  }
  return IsFatFileSystemName(info.fileSystemName) ? kErrorSuccess : kErrorUnrecognizedVolume;
}

int FloppyFiles::CheckFile(const std::string& mtoolsPath) const
{
  if (const int error = CheckMedium()) {
    return error;
  }
  FloppyEntry entry;
  if (const int error = FindMtools(mtoolsPath, entry)) {
    return error;
  }
  return entry.directory ? kErrorAccessDenied : kErrorSuccess;
}

int FloppyFiles::Run(const std::vector<std::string>& words) const
{
  ProgramResult result;
  ProcessError error;
  if (!RunProgram(words, kMtoolsTimeoutMs, result, error)) {
    m_lastError = words[0] + ": " + error.message;
    return kErrorGenFailure;
  }
  if (result.timedOut) {
    m_lastError = words[0] + ": no answer within " + std::to_string(kMtoolsTimeoutMs) + " ms";
    return kErrorGenFailure;
  }
  if (result.exitCode != 0) {
    m_lastError = result.errors.empty() ? words[0] + " failed" : result.errors;
    while (!m_lastError.empty() && m_lastError.back() == '\n') {
      m_lastError.pop_back();
    }
    return ErrorFromMtools(result.errors);
  }
  m_lastOutput = std::move(result.output);
  return kErrorSuccess;
}

int FloppyFiles::ListFolder(const std::string& mtoolsFolder, const std::string& pattern,
                            std::vector<FloppyEntry>& entries) const
{
  entries.clear();
  if (const int error = Run({"mdir", "-i", m_device, "-a", "-b", mtoolsFolder})) {
    return error == kErrorFileNotFound ? kErrorPathNotFound : error;
  }
  std::size_t start = 0;
  while (start < m_lastOutput.size()) {
    auto end = m_lastOutput.find('\n', start);
    if (end == std::string::npos) {
      end = m_lastOutput.size();
    }
    std::string line = m_lastOutput.substr(start, end - start);
    start = end + 1;
    FloppyEntry entry;
    if (!line.empty() && line.back() == '/') {
      entry.directory = true;
      line.pop_back();
    }
    entry.name = line.substr(line.rfind('/') + 1);
    if (!entry.name.empty() && MatchesWildcard(pattern, entry.name)) {
      entries.push_back(std::move(entry));
    }
  }
  return entries.empty() ? kErrorFileNotFound : kErrorSuccess;
}

int FloppyFiles::List(const std::string& pattern, std::vector<FloppyEntry>& entries) const
{
  entries.clear();
  // Wildcards are no part of a floppy path, so the last part is split off first.
  const auto separator = pattern.find_last_of("\\/:");
  const std::string wildcard =
      separator == std::string::npos ? pattern : pattern.substr(separator + 1);
  const std::string folder = separator == std::string::npos ? "" : pattern.substr(0, separator + 1);
  std::string mtoolsFolder = "::/";
  if (wildcard.empty() || (!IsRootFolder(folder) && !MtoolsPathFromFloppy(folder, mtoolsFolder))) {
    return kErrorInvalidName;
  }
  if (const int error = CheckMedium()) {
    return error;
  }
  return ListFolder(mtoolsFolder, wildcard, entries);
}

int FloppyFiles::Find(const std::string& floppyPath, FloppyEntry& entry) const
{
  std::string path;
  if (!MtoolsPathFromFloppy(floppyPath, path)) {
    return kErrorInvalidName;
  }
  if (const int error = CheckMedium()) {
    return error;
  }
  return FindMtools(path, entry);
}

int FloppyFiles::FindMtools(const std::string& mtoolsPath, FloppyEntry& entry) const
{
  const auto [folder, name] = SplitLast(mtoolsPath);
  std::vector<FloppyEntry> entries;
  if (const int error = ListFolder(folder, "*", entries); error == kErrorPathNotFound) {
    return error;
  }
  for (const auto& candidate : entries) {
    if (strcasecmp(candidate.name.c_str(), name.c_str()) == 0) {
      entry = candidate;
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

int FloppyFiles::CopyTo(const std::string& linuxPath, const std::string& floppyPath,
                        bool failIfExists) const
{
  std::string target;
  if (!MtoolsPathFromFloppy(floppyPath, target)) {
    return kErrorInvalidName;
  }
  struct stat info
  {
  };
  if (const int error = LinuxFileStatus(linuxPath, info)) {
    return error;
  }
  if (!S_ISREG(info.st_mode)) {
    return kErrorAccessDenied;
  }
  if (const int error = CheckMedium()) {
    return error;
  }
  FloppyEntry existing;
  const int found = FindMtools(target, existing);
  if (found == kErrorPathNotFound) {
    return found;
  }
  if (found == kErrorSuccess && (failIfExists || existing.directory)) {
    return existing.directory ? kErrorAccessDenied : kErrorFileExists;
  }
  // -D o replaces a file of the same name; -m keeps the modification time.
  return Run({"mcopy", "-i", m_device, "-D", "o", "-m", linuxPath, target});
}

int FloppyFiles::CopyFrom(const std::string& floppyPath, const std::string& linuxPath,
                          bool failIfExists) const
{
  std::string source;
  if (!MtoolsPathFromFloppy(floppyPath, source) || linuxPath.empty()) {
    return kErrorInvalidName;
  }
  struct stat existing
  {
  };
  const bool targetExists = stat(linuxPath.c_str(), &existing) == 0;
  if (targetExists && (failIfExists || !S_ISREG(existing.st_mode))) {
    return failIfExists ? kErrorFileExists : kErrorAccessDenied;
  }
  if (targetExists && (existing.st_mode & S_IWUSR) == 0) {
    return kErrorAccessDenied;
  }
  if (const int error = CheckFile(source)) {
    return error;
  }
  // Written under a free name beside the target and renamed over it, so a failed copy leaves
  // the old target whole. The name is freed again so that mcopy creates the file itself with
  // the usual permissions.
  const auto slash = linuxPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : linuxPath.substr(0, slash);
  std::string temporary = folder + "/.halvex-floppy-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound : ErrorFromErrno(errno);
  }
  close(fd);
  unlink(temporary.c_str());
  if (const int error = Run({"mcopy", "-i", m_device, "-n", "-m", source, temporary})) {
    unlink(temporary.c_str());
    return error;
  }
  if (rename(temporary.c_str(), linuxPath.c_str()) != 0) {
    const int error = ErrorFromErrno(errno);
    unlink(temporary.c_str());
    return error;
  }
  return kErrorSuccess;
}

int FloppyFiles::MoveTo(const std::string& linuxPath, const std::string& floppyPath) const
{
  const int copied = CopyTo(linuxPath, floppyPath, true);
  if (copied != kErrorSuccess) {
    return copied == kErrorFileExists ? kErrorAlreadyExists : copied;
  }
  if (const int error = DeleteFile(linuxPath)) {
    Delete(floppyPath); // keep one copy only: the original
    return error;
  }
  return kErrorSuccess;
}

int FloppyFiles::Rename(const std::string& fromPath, const std::string& toPath) const
{
  std::string from;
  std::string to;
  if (!MtoolsPathFromFloppy(fromPath, from) || !MtoolsPathFromFloppy(toPath, to)) {
    return kErrorInvalidName;
  }
  if (const int error = CheckFile(from)) {
    return error;
  }
  FloppyEntry entry;
  const int found = FindMtools(to, entry);
  if (found == kErrorSuccess) {
    return kErrorAlreadyExists;
  }
  if (found == kErrorPathNotFound) {
    return found;
  }
  return Run({"mmove", "-i", m_device, from, to});
}

int FloppyFiles::Delete(const std::string& floppyPath) const
{
  std::string path;
  if (!MtoolsPathFromFloppy(floppyPath, path)) {
    return kErrorInvalidName;
  }
  if (const int error = CheckFile(path)) {
    return error;
  }
  return Run({"mdel", "-i", m_device, path});
}

} // namespace platform
