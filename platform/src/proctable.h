// The process table as /proc shows it: parent links, process groups, states and environments.
// Internal to the process code.
#pragma once

#include <string_view>
#include <vector>

#include <sys/types.h>

namespace platform::proc {

struct Entry
{
  pid_t pid = 0;
  pid_t ppid = 0;
  pid_t pgrp = 0;
  char state = '?'; // 'Z' for a zombie
};

// One entry; false when the process is gone or its stat line cannot be read.
bool ReadEntry(pid_t pid, Entry& entry);

// Every process this program can see.
std::vector<Entry> ReadAll();

// The live (not zombie) descendants of each root in `entries`, children before theirs. Roots
// are not part of the result.
std::vector<Entry> LiveDescendants(const std::vector<Entry>& entries,
                                   const std::vector<pid_t>& roots);

// True when the environment the process started with holds `variable` ("NAME=value") exactly.
// False when it cannot be read (gone, a zombie, or another user's).
bool EnvironmentHolds(pid_t pid, std::string_view variable);

} // namespace platform::proc
