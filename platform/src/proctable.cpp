// Reading /proc.
#include "proctable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform::proc {

bool ReadEntry(pid_t pid, Entry& entry)
{
  // Read with plain calls: a scan reads every process's line, and streams cost more than the
  // read itself.
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  char line[512];
  const ssize_t length = ::read(fd, line, sizeof line - 1);
  ::close(fd);
  if (length <= 0)
    return false;
  line[length] = '\0';
  // "pid (comm) state ppid pgrp ...": comm may hold blanks and parentheses, so the fields
  // are read after its last ')'.
  const char* close = std::strrchr(line, ')');
  if (close == nullptr || close[1] == '\0')
    return false;
  char state = 0;
  long ppid = 0;
  long pgrp = 0;
  if (std::sscanf(close + 2, "%c %ld %ld", &state, &ppid, &pgrp) != 3)
    return false;
  entry = {pid, static_cast<pid_t>(ppid), static_cast<pid_t>(pgrp), state};
  return true;
}

std::vector<Entry> ReadAll()
{
  std::vector<Entry> entries;
  DIR* dir = ::opendir("/proc");
  if (dir == nullptr)
    return entries;
  while (const dirent* item = ::readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(item->d_name, &end, 10);
    Entry entry;
    if (pid > 0 && *end == '\0' && ReadEntry(static_cast<pid_t>(pid), entry))
      entries.push_back(entry);
  }
  ::closedir(dir);
  return entries;
}

std::vector<Entry> LiveDescendants(const std::vector<Entry>& entries,
                                   const std::vector<pid_t>& roots)
{
  std::multimap<pid_t, const Entry*> children;
  for (const Entry& entry : entries)
    children.emplace(entry.ppid, &entry);
  std::vector<Entry> found;
  std::vector<pid_t> parents = roots;
  for (std::size_t next = 0; next < parents.size(); ++next) {
    const auto [begin, end] = children.equal_range(parents[next]);
    for (auto it = begin; it != end; ++it) {
      if (it->second->state != 'Z') {
        found.push_back(*it->second);
        parents.push_back(it->second->pid);
      }
    }
  }
  return found;
}

bool EnvironmentHolds(pid_t pid, std::string_view variable)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
  if (!in)
    return false;
  const std::string environment((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  // Entries are separated by NULs; compare whole entries only.
  for (std::size_t begin = 0; begin < environment.size();) {
    std::size_t end = environment.find('\0', begin);
    if (end == std::string::npos)
      end = environment.size();
    if (std::string_view(environment).substr(begin, end - begin) == variable)
      return true;
    begin = end + 1;
  }
  return false;
}

} // namespace platform::proc
