// The child subreaper mark and the reaping of what it brings in.
#include "platform/subreaper.h"

#include "ownchildren.h"
#include "proctable.h"

#include <chrono>
#include <thread>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::chrono::seconds kReapInterval{1};

void StartReaperThread()
{
  static std::once_flag started;
  std::call_once(started, [] {
    try {
      std::thread([] {
        for (;;) {
          std::this_thread::sleep_for(kReapInterval);
          ReapInheritedChildren();
        }
      }).detach();
    } catch (...) {
      // Without the thread, Process::Terminate still reaps what it kills.
    }
  });
}

} // namespace

bool BecomeChildSubreaper()
{
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0)
    return false;
  StartReaperThread();
  return true;
}

bool IsChildSubreaper()
{
  int flag = 0;
  return ::prctl(PR_GET_CHILD_SUBREAPER, &flag, 0, 0, 0) == 0 && flag != 0;
}

std::size_t ReapInheritedChildren()
{
  // Only an ended child is worth the scan of the process table.
  siginfo_t ended{};
  if (::waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid == 0)
    return 0;
  const pid_t self = ::getpid();
  const pid_t ownGroup = ::getpgrp();
  std::size_t reaped = 0;
  for (const proc::Entry& entry : proc::ReadAll()) {
    // Children that other code of this program started stay in its group; they are that
    // code's to reap.
    if (entry.ppid != self || entry.state != 'Z' || entry.pgrp == ownGroup)
      continue;
    std::lock_guard<std::mutex> lock(own::Mutex());
    if (own::Pids().count(entry.pid) == 0 && ::waitpid(entry.pid, nullptr, WNOHANG) == entry.pid)
      ++reaped;
  }
  return reaped;
}

} // namespace platform
