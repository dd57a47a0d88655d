// Making this program the reaper of every orphan below it, so that no process a test program
// starts can leave its tree: a process whose parent ends becomes a child of this program
// instead of the system's, where Process::Terminate finds it.
#pragma once

#include <cstddef>

namespace platform {

// Marks the program as a child subreaper and starts a background thread that reaps the
// inherited children once they end (each second). Programs started through Process are left
// to their Process; children other code started in this program's process group are left to
// that code. True when the mark is set (also when it was set before).
bool BecomeChildSubreaper();

bool IsChildSubreaper();

// Reaps every ended inherited child now; returns how many. Any thread.
std::size_t ReapInheritedChildren();

} // namespace platform
