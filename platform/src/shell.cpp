// Startup shortcuts as XDG autostart entries, and the RunOnce values.
#include "platform/shell.h"

#include "platform/desktop_entry.h"
#include "platform/fdio.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace platform {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* suffix)
{
  const std::size_t length = std::strlen(suffix);
  return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// The shortcut's name as the entry shows it: without ".lnk" or ".desktop".
std::string DisplayName(const std::string& name)
{
  std::string display = name;
  for (const char* suffix : {".lnk", ".desktop"}) {
    if (EndsWithIgnoringCase(display, suffix)) {
      display.resize(display.size() - std::strlen(suffix));
    }
  }
  return display;
}

// Writes `text` to `path` through a temporary file in the same folder and a rename.
int WriteWhole(const std::string& folder, const std::string& path, const std::string& text)
{
  std::string temporary = folder + "/.halvex-entry-XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    return ErrorFromErrno(errno);
  }
  int error = WriteAll(fd, text.data(), text.size());
  if (error == 0 && (fchmod(fd, 0644) != 0 || fsync(fd) != 0)) {
    error = errno;
  }
  if (close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    unlink(temporary.c_str());
    return ErrorFromErrno(error);
  }
  return kErrorSuccess;
}

bool IsValidShortcutName(const std::string& name)
{
  const std::string file = StartupShortcutFileName(name);
  return !DisplayName(name).empty() && name.find('/') == std::string::npos && file != "." &&
         file != "..";
}

// One Startup shortcut of the folder started, when it is ours and wants to be started.
bool StartShortcut(const std::string& path, StartedProgram& outcome)
{
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::map<std::string, std::string> keys;
  if (!ReadDesktopEntryGroup(text, keys) || keys["Type"] != "Application" ||
      keys[kHalvexShortcutKey] != "true" || keys["Hidden"] == "true") {
    return false;
  }
  outcome.source = path;
  if (!SplitDesktopExecValue(keys["Exec"], UnescapeDesktopValue(keys["Name"]), path,
                             outcome.words) ||
      outcome.words.empty()) {
    outcome.error = kErrorInvalidParameter;
    return true;
  }
  Process program;
  if (!program.Start(outcome.words, UnescapeDesktopValue(keys["Path"]), ProcessStreams{})) {
    outcome.error = static_cast<int>(program.LastError().windowsCode);
  }
  return true;
}

} // namespace

LONG GetStartupFolder(std::string& folder)
{
  return RegGetString(HKEY_CURRENT_USER, kShellFoldersKey, kStartupValue, folder);
}

std::string DefaultStartupFolder()
{
  return UserConfigFolder() + "/autostart";
}

std::string StartupShortcutFileName(const std::string& name)
{
  std::string file = name;
  if (EndsWithIgnoringCase(file, ".lnk")) {
    file.resize(file.size() - 4);
  }
  if (!EndsWithIgnoringCase(file, ".desktop")) {
    file += ".desktop";
  }
  return file;
}

std::string StartupShortcutText(const std::string& name, const std::string& target,
                                const std::string& arguments)
{
  std::string program = target;
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
    program = program.substr(1, program.size() - 2);
  }
  std::vector<std::string> words = {program};
  for (auto& word : SplitCommandLine(arguments)) {
    words.push_back(std::move(word));
  }
  std::string text = kDesktopEntryGroup;
  text += "\nType=Application\nVersion=1.0\nName=" + EscapeDesktopValue(DisplayName(name)) +
          "\nExec=" + DesktopExecValue(words) + "\nTerminal=false\n" + kHalvexShortcutKey +
          "=true\n";
  return text;
}

int CreateStartupShortcut(const std::string& folder, const std::string& name,
                          const std::string& target, const std::string& arguments)
{
  if (!IsValidShortcutName(name)) {
    return kErrorInvalidName;
  }
  if (folder.empty()) {
    return kErrorPathNotFound;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return ErrorFromErrno(error.value());
  }
  return WriteWhole(folder, folder + "/" + StartupShortcutFileName(name),
                    StartupShortcutText(name, target, arguments));
}

int RemoveStartupShortcut(const std::string& folder, const std::string& name)
{
  if (!IsValidShortcutName(name)) {
    return kErrorInvalidName;
  }
  return DeleteFile(folder + "/" + StartupShortcutFileName(name));
}

int StartStartupShortcuts(const std::string& folder, std::vector<StartedProgram>& started)
{
  started.clear();
  FileFinder finder;
  FindData data;
  int result = finder.FindFirstFile(folder + "/*.desktop", data);
  if (result == kErrorFileNotFound) {
    return kErrorSuccess;
  }
  for (; result == kErrorSuccess; result = finder.FindNextFile(data)) {
    StartedProgram outcome;
    if ((data.attributes & kFileAttributeDirectory) == 0 && StartShortcut(data.path, outcome)) {
      started.push_back(std::move(outcome));
    }
  }
  return result == kErrorNoMoreFiles ? kErrorSuccess : result;
}

std::string RunOnceCommandLine(const std::string& program, const std::string& arguments)
{
  return JoinCommandLine({program}) + " " + arguments;
}

LONG SetRunOnceValue(const std::string& name, const std::string& commandLine)
{
  return RegSetString(HKEY_LOCAL_MACHINE, kRunOnceKey, name, commandLine);
}

LONG GetRunOnceValue(const std::string& name, std::string& commandLine)
{
  return RegGetString(HKEY_LOCAL_MACHINE, kRunOnceKey, name, commandLine);
}

LONG DeleteRunOnceValue(const std::string& name)
{
  HKEY key = nullptr;
  LONG result = RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_SET_VALUE, &key);
  if (result == ERROR_SUCCESS) {
    result = RegDeleteValue(key, name.c_str());
    RegCloseKey(key);
  }
  return result;
}

LONG RunRunOnceValues(bool wait, std::vector<StartedProgram>& started)
{
  started.clear();
  HKEY key = nullptr;
  LONG result = RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_ALL_ACCESS, &key);
  if (result == ERROR_FILE_NOT_FOUND) {
    return ERROR_SUCCESS;
  }
  if (result != ERROR_SUCCESS) {
    return result;
  }
  // Names first: deleting while enumerating would shift the indexes.
  std::vector<std::string> names;
  std::vector<char> name(kMaxValueNameLength + 1);
  for (DWORD index = 0;; ++index) {
    DWORD size = static_cast<DWORD>(name.size());
    result = RegEnumValue(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name.data(), size);
  }
  if (result == ERROR_NO_MORE_ITEMS) {
    result = ERROR_SUCCESS;
  }
  for (const auto& valueName : names) {
    if (result != ERROR_SUCCESS) {
      break;
    }
    StartedProgram outcome;
    outcome.source = valueName;
    std::string commandLine;
    const LONG read = RegGetString(key, "", valueName, commandLine);
    if (read == ERROR_FILE_NOT_FOUND) {
      continue; // taken by another log-in meanwhile
    }
    result = RegDeleteValue(key, valueName.c_str());
    if (result == ERROR_FILE_NOT_FOUND) {
      result = ERROR_SUCCESS;
      continue;
    }
    if (result != ERROR_SUCCESS) {
      outcome.error = result;
      started.push_back(std::move(outcome));
      break;
    }
    if (read != ERROR_SUCCESS) {
      outcome.error = read;
      started.push_back(std::move(outcome));
      continue;
    }
    outcome.words = SplitCommandLine(commandLine);
    Process program;
    if (!program.Start(outcome.words, {}, ProcessStreams{})) {
      outcome.error = static_cast<int>(program.LastError().windowsCode);
    } else if (wait) {
      program.Wait(INFINITE);
    }
    started.push_back(std::move(outcome));
  }
  RegCloseKey(key);
  return result;
}

} // namespace platform
