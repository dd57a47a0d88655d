// A stop request that one thread raises while another waits for a program (Process::Wait).
#pragma once

#include <memory>

namespace platform {

// Any thread may raise, clear or look at it. It holds a file descriptor only while a wait
// uses it, so keeping one per test case costs nothing.
class StopSignal
{
public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Ends a wait in progress at once; a wait that starts later ends at once too, until Clear.
  void Raise();
  void Clear();
  bool IsRaised() const;

  // For the waiting side: a descriptor that becomes readable when the signal is raised (it is
  // readable at once when raised already), -1 when none can be made; and letting go of it.
  int AttachWaiter();
  void DetachWaiter();

private:
  struct State;
  std::unique_ptr<State> m_pState;
};

} // namespace platform
