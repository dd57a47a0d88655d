// Calls from a run's worker thread into the user-interface thread: each call travels as a
// message to a window of that thread, and the worker waits until it has been handled there, so
// the worker never touches a window or the results itself. From the user-interface thread the
// call is made at once.
#pragma once

#include "platform/messages.h"

#include <atomic>
#include <functional>

namespace harness {

inline constexpr const char* kUiCallMessageName = "HALVEX Run Call Message";

class CUiCalls
{
public:
  // Construct and destroy on the user-interface thread, which must hand its messages to their
  // handlers (a dispatcher attached to it).
  CUiCalls();
  ~CUiCalls();
  CUiCalls(const CUiCalls&) = delete;
  CUiCalls& operator=(const CUiCalls&) = delete;

  // Runs `call` on the user-interface thread and waits for it. False without running it when
  // that thread no longer takes calls (Close, or it has ended).
  bool Call(const std::function<void()>& call) const;
  // Later calls return false at once; calls waiting now are dropped. User-interface thread.
  void Close();

private:
  std::atomic<platform::HWND> m_hWnd{nullptr};
};

} // namespace harness
