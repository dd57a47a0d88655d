// Window messages inside one process: registered message numbers, windows that belong to one
// thread, synchronous and posted sends across threads, and each thread's main window.
//
// A window belongs to the thread that created it. A send from that thread calls the handler
// at once; a send from another thread is queued to the owner and the sender waits until the
// owner has handled it. The owner hands queued messages to their handlers when it calls
// ProcessPendingMessages(); a Dispatcher attached to the owner thread is told (Wake) whenever
// work arrives so that its event loop can make that call. While a thread waits for its own
// cross-thread send (SendMessage, or SendMessageTimeout without SMTO_BLOCK), it handles sends
// addressed to its own windows, so two threads sending to each other do not deadlock.
//
// A thread that ends destroys its windows; their pending messages are dropped and the senders
// waiting for them return 0.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace platform {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// An opaque window handle. Handles are never reused within the process, so a stale handle
// is simply an unknown window.
struct WindowHandleTag;
using HWND = WindowHandleTag*;

using WindowProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// SendMessageTimeout flags.
inline constexpr UINT SMTO_NORMAL = 0x0000;      // handle sends to our own windows while waiting
inline constexpr UINT SMTO_BLOCK = 0x0001;       // handle nothing while waiting
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002; // give up at once when the owner is hung

// The owner thread counts as hung when a message has waited in its queue this long.
inline constexpr std::chrono::milliseconds kHungThreshold{5000};

// Registered message numbers: the same name (compared ignoring ASCII case) gives the same
// number for the life of the process; numbers run from 0xC000 to 0xFFFF. 0 for an empty name
// or when the range is used up. Any thread.
UINT RegisterWindowMessage(std::string_view name);

// Creates a window owned by the calling thread. nullptr when the class name is empty or the
// handler is empty. The handler runs on the owner thread only.
HWND CreateWindow(const std::string& className, WindowProc handler);

// Destroys a window; messages still queued for it are dropped and their senders get 0.
// Owner thread only (false otherwise, and for an unknown handle).
bool DestroyWindow(HWND window);

bool IsWindow(HWND window);

// The class name a window was created with; empty for an unknown handle.
std::string GetClassName(HWND window);

// The first window (oldest) in this process whose class name equals className ignoring
// ASCII case, as on the original platform; nullptr when there is none.
HWND FindWindow(const std::string& className);

// Every window of the process, oldest first.
std::vector<HWND> EnumWindows();

// Sends and waits until the handler has run; returns the handler's result, 0 for an unknown
// window or when the owner thread ended before handling it.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// As SendMessage, but gives up waiting after timeoutMs. Returns non-zero when the message
// was handled (the handler's result in *result when result is not null), 0 on time-out,
// hung owner (SMTO_ABORTIFHUNG) or unknown window, leaving *result untouched.
//
// A message that timed out stays queued and is handled later; anything lParam points to
// must therefore outlive the handling. For text use SendTextMessageTimeout, which makes the
// queued message own a copy of the text.
LRESULT SendMessageTimeout(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeoutMs, LRESULT* result);

// SendMessageTimeout for a message whose lParam is a NUL-terminated text. The handler gets
// lParam pointing at a copy owned by the message, valid until the handler returns (also when
// the sender stopped waiting long before); the sender may free its text as soon as this
// returns.
LRESULT SendTextMessageTimeout(HWND window, UINT msg, WPARAM wParam, std::string_view text,
                               UINT flags, UINT timeoutMs, LRESULT* result);

// Queues a message for the owner thread and returns at once; handled in posting order by the
// owner's ProcessPendingMessages (even when posted by the owner itself). False for an unknown
// window. lParam must stay valid until handled.
bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Hands every message queued for the calling thread's windows to their handlers: sent ones
// first, then posted ones in order. Returns how many were handled. Owner thread only.
std::size_t ProcessPendingMessages();

// Messages waiting for the calling thread.
bool HasPendingMessages();

// The event loop of a thread that owns windows. Wake() is called from any thread, possibly
// while the layer holds a lock, whenever messages arrive for the owner thread: it must only
// arrange for ProcessPendingMessages() to be called soon on the owner thread (the GUI posts
// an event to its own loop) and must not call back into this layer.
class Dispatcher
{
public:
  virtual ~Dispatcher() = default;
  virtual void Wake() = 0;
};

// Attaches a dispatcher to the calling thread (nullptr detaches). The dispatcher must stay
// alive until it is detached. When messages already wait, it is woken at once.
void SetThreadDispatcher(Dispatcher* dispatcher);

// A dispatcher for tools and tests: the owner thread runs the loop itself. Attaches itself to
// the constructing thread and detaches in its destructor; construct, run and destroy it on
// the owner thread.
class PlainDispatcher : public Dispatcher
{
public:
  PlainDispatcher();
  ~PlainDispatcher() override;
  PlainDispatcher(const PlainDispatcher&) = delete;
  PlainDispatcher& operator=(const PlainDispatcher&) = delete;

  void Wake() override;

  // Handles what is waiting now without blocking; returns how many messages.
  std::size_t PumpMessages();

  // Handles messages as they come until done() is true (checked after every batch and every
  // Wake) or the limit passes. Whoever changes what done() looks at calls Wake(). Returns
  // done().
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

private:
  struct State;
  std::unique_ptr<State> m_pState;
};

// The calling thread's main window (nullptr when none). Thread-local.
HWND GetMainWnd();
void SetMainWnd(HWND window);

// Starts a thread that begins with the caller's main window. The result is not joinable when
// the thread could not be started.
std::thread StartThread(std::function<void()> body);

// Sends to the calling thread's main window; a thread without a main window sends nothing
// and gets 0.
LRESULT SendToMainWindow(UINT msg, WPARAM wParam, LPARAM lParam);

// SendTextMessageTimeout to the calling thread's main window; 0 without sending when the
// thread has no main window.
LRESULT SendTextToMainWindowTimeout(UINT msg, WPARAM wParam, std::string_view text, UINT flags,
                                    UINT timeoutMs, LRESULT* result);

} // namespace platform
