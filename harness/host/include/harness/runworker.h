// The worker thread of a run: one at a time, started with the starting thread's main window so
// that its messages reach the harness's main window. User-interface thread only.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace harness {

class CRunWorker
{
public:
  CRunWorker() = default;
  // The thread must have ended or been joined (Join) before.
  ~CRunWorker();
  CRunWorker(const CRunWorker&) = delete;
  CRunWorker& operator=(const CRunWorker&) = delete;

  // Starts `body` on a new thread, after joining one that has finished its work. False when the
  // last one is still working or the thread cannot be started.
  bool Start(std::function<void()> body, const std::function<void()>& pump);
  // Whether the last thread started is still working.
  bool IsRunning() const { return m_bRunning.load(); }
  // Waits for the thread to end. The worker may be waiting for this thread to handle one of its
  // messages, so `pump` is called meanwhile to hand them to their handlers.
  void Join(const std::function<void()>& pump);

private:
  std::thread m_thread;
  std::atomic<bool> m_bRunning{false};
};

} // namespace harness
