// The run's worker thread.
#include "harness/runworker.h"

#include "platform/messages.h"

#include <chrono>

namespace harness {

CRunWorker::~CRunWorker()
{
  if (m_thread.joinable())
    m_thread.join();
}

bool CRunWorker::Start(std::function<void()> body, const std::function<void()>& pump)
{
  if (m_bRunning.load())
    return false;
  Join(pump);
  m_bRunning = true;
  m_thread = platform::StartThread([this, body = std::move(body)] {
    body();
    m_bRunning = false;
  });
  if (!m_thread.joinable()) {
    m_bRunning = false;
    return false;
  }
  return true;
}

void CRunWorker::Join(const std::function<void()>& pump)
{
  if (!m_thread.joinable())
    return;
  while (m_bRunning.load()) {
    if (pump)
      pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  m_thread.join();
}

} // namespace harness
