// The programs this process started through Process and has not reaped yet. The reaper of
// inherited children leaves them alone. Internal to the process code.
#pragma once

#include <mutex>
#include <set>

#include <sys/types.h>

namespace platform::own {

// Held while a program is started and registered, and while an inherited child is judged and
// reaped, so that a program that ends at once is never mistaken for an inherited one.
std::mutex& Mutex();
// Guarded by Mutex().
std::set<pid_t>& Pids();

void Forget(pid_t pid);

} // namespace platform::own
