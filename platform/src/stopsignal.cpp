// A stop request over an eventfd that exists only while someone waits on it.
#include "platform/stopsignal.h"

#include <cstdint>
#include <mutex>

#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

struct StopSignal::State
{
  mutable std::mutex mutex;
  bool raised = false;
  int fd = -1;
  int waiters = 0;

  void Wake() const
  {
    if (fd < 0)
      return;
    const std::uint64_t one = 1;
    // A full counter still leaves the descriptor readable, which is all a waiter needs.
    const ssize_t ignored = ::write(fd, &one, sizeof one);
    (void)ignored;
  }
};

StopSignal::StopSignal() : m_pState(std::make_unique<State>()) {}

StopSignal::~StopSignal()
{
  if (m_pState->fd >= 0)
    ::close(m_pState->fd);
}

void StopSignal::Raise()
{
  std::lock_guard<std::mutex> lock(m_pState->mutex);
  m_pState->raised = true;
  m_pState->Wake();
}

void StopSignal::Clear()
{
  std::lock_guard<std::mutex> lock(m_pState->mutex);
  m_pState->raised = false;
  if (m_pState->fd >= 0) {
    std::uint64_t count = 0;
    const ssize_t ignored = ::read(m_pState->fd, &count, sizeof count);
    (void)ignored;
  }
}

bool StopSignal::IsRaised() const
{
  std::lock_guard<std::mutex> lock(m_pState->mutex);
  return m_pState->raised;
}

int StopSignal::AttachWaiter()
{
  std::lock_guard<std::mutex> lock(m_pState->mutex);
  if (m_pState->fd < 0) {
    m_pState->fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_pState->fd < 0)
      return -1;
    if (m_pState->raised)
      m_pState->Wake();
  }
  ++m_pState->waiters;
  return m_pState->fd;
}

void StopSignal::DetachWaiter()
{
  std::lock_guard<std::mutex> lock(m_pState->mutex);
  if (m_pState->waiters > 0 && --m_pState->waiters == 0 && m_pState->fd >= 0) {
    ::close(m_pState->fd);
    m_pState->fd = -1;
  }
}

} // namespace platform
