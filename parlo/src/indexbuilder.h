// Builds a LineIndex on a worker thread from a file that another program may still be writing.
#pragma once

#include "linescanner.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace parlo {

class LogFileReader;

// The worker reads the file with positional reads, never through a mapping, so a file that
// shrinks or is replaced underneath costs nothing worse than a short read.
class IndexBuilder
{
public:
  // The first read is small so the first screen can be shown at once; later reads are large.
  static constexpr qint64 kFirstReadBytes = 64 * 1024;
  static constexpr qint64 kReadBytes = 1024 * 1024;

  // Starts indexing the file up to `target` bytes. `notify` runs on the worker thread after
  // progress (at most every few tens of milliseconds) and every time the target is reached;
  // it must only hand the news to another thread. The reader and the index are shared with
  // the window, which reads both while the worker writes the index.
  IndexBuilder(std::shared_ptr<const LogFileReader> reader, std::shared_ptr<LineIndex> index,
               qint64 target, std::function<void()> notify);
  // Stops the worker and waits for it.
  ~IndexBuilder();
  IndexBuilder(const IndexBuilder&) = delete;
  IndexBuilder& operator=(const IndexBuilder&) = delete;

  // Goes on to a larger target, for a file that grew.
  void IndexTo(qint64 target);
  qint64 Target() const;
  // Everything up to the target is indexed, or the file ended or failed before it.
  bool IsDone() const;
  // The text of the last read error; empty when reading went well.
  QString Error() const;

private:
  void Run();

  const std::shared_ptr<const LogFileReader> m_pReader;
  const std::shared_ptr<LineIndex> m_pIndex;
  const std::function<void()> m_notify;
  LineScanner m_scanner; // worker thread only

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  qint64 m_nTarget = 0;
  bool m_bDone = false;
  bool m_bStop = false;
  QString m_strError;
  std::thread m_thread; // last: starts once everything above is set
};

} // namespace parlo
