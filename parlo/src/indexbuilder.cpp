// One worker per open file; it sleeps once it has caught up with the target.
#include "indexbuilder.h"

#include "logfilereader.h"
#include "threadpriority.h"

#include <algorithm>
#include <vector>

namespace parlo {
namespace {

// News is passed on at most this often while the worker is busy, so the window's event loop
// is not flooded; reaching the target is always passed on.
constexpr std::chrono::milliseconds kNotifyInterval(25);

} // namespace

IndexBuilder::IndexBuilder(std::shared_ptr<const LogFileReader> reader,
                           std::shared_ptr<LineIndex> index, qint64 target,
                           std::function<void()> notify)
    : m_pReader(std::move(reader)), m_pIndex(std::move(index)), m_notify(std::move(notify)),
      m_scanner(m_pIndex->Spacing()), m_nTarget(target), m_thread([this] { Run(); })
{
}

IndexBuilder::~IndexBuilder()
{
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void IndexBuilder::IndexTo(qint64 target)
{
  {
    std::lock_guard lock(m_mutex);
    if (target <= m_nTarget && !m_bDone)
      return;
    m_nTarget = std::max(m_nTarget, target);
    m_bDone = false;
  }
  m_wake.notify_all();
}

qint64 IndexBuilder::Target() const
{
  std::lock_guard lock(m_mutex);
  return m_nTarget;
}

bool IndexBuilder::IsDone() const
{
  std::lock_guard lock(m_mutex);
  return m_bDone;
}

QString IndexBuilder::Error() const
{
  std::lock_guard lock(m_mutex);
  return m_strError;
}

void IndexBuilder::Run()
{
  LowerCurrentThreadPriority();
  std::vector<char> buffer;
  std::vector<Checkpoint> found;
  qint64 readBytes = kFirstReadBytes;
  auto lastNotify = std::chrono::steady_clock::time_point();
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_bStop || !m_bDone; });
    if (m_bStop)
      return;
    const qint64 target = m_nTarget;
    lock.unlock();

    const qint64 offset = m_scanner.State().end;
    const qint64 wanted = std::min(readBytes, target - offset);
    bool reached = wanted <= 0;
    QString error;
    if (!reached) {
      buffer.resize(static_cast<size_t>(wanted));
      const qint64 got = m_pReader->ReadAt(offset, buffer.data(), wanted, &error);
      if (got > 0) {
        found.clear();
        m_scanner.Scan(buffer.data(), got, &found);
        m_pIndex->Publish(found, m_scanner.State());
      }
      // A short read is the end of a file that shrank below the target.
      reached = got < wanted || offset + got >= target;
      readBytes = kReadBytes;
    }

    lock.lock();
    if (!error.isEmpty())
      m_strError = error;
    if (reached && m_nTarget == target)
      m_bDone = true;
    const auto now = std::chrono::steady_clock::now();
    if (m_bDone || now - lastNotify >= kNotifyInterval) {
      lastNotify = now;
      lock.unlock();
      m_notify();
      lock.lock();
    }
  }
}

} // namespace parlo
