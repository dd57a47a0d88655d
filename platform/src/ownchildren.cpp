// The set of programs started and not yet reaped.
#include "ownchildren.h"

namespace platform::own {

std::mutex& Mutex()
{
  static std::mutex mutex;
  return mutex;
}

std::set<pid_t>& Pids()
{
  // Never destroyed: the reaper thread may still look at it while the program ends.
  static auto* pids = new std::set<pid_t>;
  return *pids;
}

void Forget(pid_t pid)
{
  std::lock_guard<std::mutex> lock(Mutex());
  Pids().erase(pid);
}

} // namespace platform::own
