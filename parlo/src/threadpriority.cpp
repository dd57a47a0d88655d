// On Linux a thread has its own nice value, set through its thread id.
#include "threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace parlo {
namespace {

// Ten steps nicer than the thread that starts the worker, up to the system's limit.
constexpr int kSteps = 10;
constexpr int kNicest = 19;

} // namespace

void LowerCurrentThreadPriority()
{
  const id_t thread = static_cast<id_t>(::gettid());
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, thread);
  if (errno == 0)
    ::setpriority(PRIO_PROCESS, thread, std::min(kNicest, current + kSteps));
}

} // namespace parlo
