// Window messages inside one process; see messages.h for the contract.
#include "platform/messages.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct ThreadQueue;

// The sender's side of a cross-thread send. Guarded by the sender's queue mutex, whose
// condition variable the owner signals, so a waiting sender wakes for its reply and for
// sends addressed to itself alike.
struct SendState
{
  std::shared_ptr<ThreadQueue> sender;
  bool done = false;
  bool handled = false;
  LRESULT result = 0;
};

struct WindowRecord
{
  std::uintptr_t id = 0;
  std::string className;
  WindowProc handler;
  std::shared_ptr<ThreadQueue> owner;
  std::atomic<bool> alive{true};
};

struct QueuedMessage
{
  std::shared_ptr<WindowRecord> window;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::unique_ptr<std::string> text; // owned copy that lParam points into, when set
  std::shared_ptr<SendState> reply;  // null for posted messages
  Clock::time_point queuedAt;
};

struct ThreadQueue
{
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<QueuedMessage> sent;
  std::deque<QueuedMessage> posted;
  Dispatcher* dispatcher = nullptr;
  bool closed = false;
};

struct WindowTable
{
  std::mutex mutex;
  std::map<std::uintptr_t, std::shared_ptr<WindowRecord>> windows; // by id, so oldest first
  std::uintptr_t nextId = 1;
};

// Never destroyed: threads may still end (and destroy their windows) while statics go away.
WindowTable& Table()
{
  static WindowTable* table = new WindowTable;
  return *table;
}

void Complete(const std::shared_ptr<SendState>& reply, bool handled, LRESULT result)
{
  std::lock_guard lock(reply->sender->mutex);
  reply->done = true;
  reply->handled = handled;
  reply->result = result;
  reply->sender->cv.notify_all();
}

void Handle(QueuedMessage& message)
{
  bool handled = false;
  LRESULT result = 0;
  if (message.window->alive.load()) {
    result = message.window->handler(message.msg, message.wParam, message.lParam);
    handled = true;
  }
  if (message.reply) {
    Complete(message.reply, handled, result);
  }
}

void FailAll(std::deque<QueuedMessage>& messages)
{
  for (auto& message : messages) {
    if (message.reply) {
      Complete(message.reply, false, 0);
    }
  }
  messages.clear();
}

// Ends a thread's part in messaging: its windows go, waiting senders are released.
void CloseQueue(const std::shared_ptr<ThreadQueue>& queue)
{
  {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    for (auto it = table.windows.begin(); it != table.windows.end();) {
      if (it->second->owner == queue) {
        it->second->alive = false;
        it = table.windows.erase(it);
      } else {
        ++it;
      }
    }
  }
  std::deque<QueuedMessage> sent;
  std::deque<QueuedMessage> posted;
  {
    std::lock_guard lock(queue->mutex);
    queue->closed = true;
    queue->dispatcher = nullptr;
    sent.swap(queue->sent);
    posted.swap(queue->posted);
  }
  FailAll(sent);
  FailAll(posted);
}

struct ThreadContext
{
  std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
  ~ThreadContext() { CloseQueue(queue); }
};

thread_local ThreadContext tContext;
thread_local HWND tMainWnd = nullptr;

const std::shared_ptr<ThreadQueue>& CurrentQueue()
{
  return tContext.queue;
}

HWND ToHandle(std::uintptr_t id)
{
  return reinterpret_cast<HWND>(id);
}

std::shared_ptr<WindowRecord> Lookup(HWND window)
{
  auto& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.windows.find(reinterpret_cast<std::uintptr_t>(window));
  return it == table.windows.end() ? nullptr : it->second;
}

bool IsHungLocked(const ThreadQueue& queue, Clock::time_point now)
{
  auto waitedTooLong = [&](const std::deque<QueuedMessage>& messages) {
    return !messages.empty() && now - messages.front().queuedAt > kHungThreshold;
  };
  return waitedTooLong(queue.sent) || waitedTooLong(queue.posted);
}

// False when the owner thread has ended, or is hung and the caller asked to give up then.
bool Enqueue(const std::shared_ptr<WindowRecord>& window, QueuedMessage message, bool isSend,
             bool abortIfHung)
{
  ThreadQueue& queue = *window->owner;
  std::lock_guard lock(queue.mutex);
  message.queuedAt = Clock::now();
  if (queue.closed || (abortIfHung && IsHungLocked(queue, message.queuedAt))) {
    return false;
  }
  (isSend ? queue.sent : queue.posted).push_back(std::move(message));
  queue.cv.notify_all();
  if (queue.dispatcher != nullptr) {
    queue.dispatcher->Wake();
  }
  return true;
}

struct SendOutcome
{
  bool handled = false;
  LRESULT result = 0;
};

// Queues a send for the window's owner and waits for it, until the deadline when given.
// With handleIncoming, sends addressed to this thread's own windows are handled meanwhile.
SendOutcome SendAcross(const std::shared_ptr<WindowRecord>& window, QueuedMessage message,
                       bool handleIncoming, bool abortIfHung,
                       std::optional<Clock::time_point> deadline)
{
  const auto& self = CurrentQueue();
  auto reply = std::make_shared<SendState>();
  reply->sender = self;
  message.reply = reply;
  if (!Enqueue(window, std::move(message), true, abortIfHung)) {
    return {};
  }
  std::unique_lock lock(self->mutex);
  while (!reply->done) {
    if (handleIncoming && !self->sent.empty()) {
      QueuedMessage incoming = std::move(self->sent.front());
      self->sent.pop_front();
      lock.unlock();
      Handle(incoming);
      lock.lock();
      continue;
    }
    if (!deadline) {
      self->cv.wait(lock);
    } else if (self->cv.wait_until(lock, *deadline) == std::cv_status::timeout && !reply->done) {
      // The message stays queued and owns whatever text it carries.
      return {};
    }
  }
  return {reply->handled, reply->result};
}

LRESULT SendTimed(HWND hwnd, QueuedMessage message, UINT flags, UINT timeoutMs, LRESULT* result)
{
  auto window = Lookup(hwnd);
  if (!window) {
    return 0;
  }
  if (window->owner == CurrentQueue()) {
    LRESULT value = window->handler(message.msg, message.wParam, message.lParam);
    if (result != nullptr) {
      *result = value;
    }
    return 1;
  }
  message.window = window;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  SendOutcome outcome = SendAcross(window, std::move(message), (flags & SMTO_BLOCK) == 0,
                                   (flags & SMTO_ABORTIFHUNG) != 0, deadline);
  if (!outcome.handled) {
    return 0;
  }
  if (result != nullptr) {
    *result = outcome.result;
  }
  return 1;
}

char FoldCase(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

} // namespace

UINT RegisterWindowMessage(std::string_view name)
{
  static std::mutex mutex;
  static auto* numbers = new std::unordered_map<std::string, UINT>;
  static UINT next = 0xC000;
  if (name.empty()) {
    return 0;
  }
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), FoldCase);
  std::lock_guard lock(mutex);
  auto it = numbers->find(key);
  if (it != numbers->end()) {
    return it->second;
  }
  if (next > 0xFFFF) {
    return 0;
  }
  numbers->emplace(std::move(key), next);
  return next++;
}

HWND CreateWindow(const std::string& className, WindowProc handler)
{
  if (className.empty() || !handler) {
    return nullptr;
  }
  auto record = std::make_shared<WindowRecord>();
  record->className = className;
  record->handler = std::move(handler);
  record->owner = CurrentQueue();
  auto& table = Table();
  std::lock_guard lock(table.mutex);
  record->id = table.nextId++;
  table.windows.emplace(record->id, record);
  return ToHandle(record->id);
}

bool DestroyWindow(HWND hwnd)
{
  auto window = Lookup(hwnd);
  const auto& self = CurrentQueue();
  if (!window || window->owner != self) {
    return false;
  }
  {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.windows.erase(window->id);
  }
  window->alive = false;
  std::deque<QueuedMessage> dropped;
  {
    std::lock_guard lock(self->mutex);
    for (auto* messages : {&self->sent, &self->posted}) {
      auto keep = std::stable_partition(messages->begin(), messages->end(),
                                        [&](const QueuedMessage& m) { return m.window != window; });
      std::move(keep, messages->end(), std::back_inserter(dropped));
      messages->erase(keep, messages->end());
    }
  }
  FailAll(dropped);
  if (tMainWnd == hwnd) {
    tMainWnd = nullptr;
  }
  return true;
}

bool IsWindow(HWND window)
{
  return Lookup(window) != nullptr;
}

std::string GetClassName(HWND hwnd)
{
  auto window = Lookup(hwnd);
  return window ? window->className : std::string();
}

HWND FindWindow(const std::string& className)
{
  auto& table = Table();
  std::lock_guard lock(table.mutex);
  for (const auto& [id, window] : table.windows) {
    if (EqualIgnoringCase(window->className, className)) {
      return ToHandle(id);
    }
  }
  return nullptr;
}

std::vector<HWND> EnumWindows()
{
  auto& table = Table();
  std::lock_guard lock(table.mutex);
  std::vector<HWND> handles;
  handles.reserve(table.windows.size());
  for (const auto& entry : table.windows) {
    handles.push_back(ToHandle(entry.first));
  }
  return handles;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto window = Lookup(hwnd);
  if (!window) {
    return 0;
  }
  if (window->owner == CurrentQueue()) {
    return window->handler(msg, wParam, lParam);
  }
  QueuedMessage message;
  message.window = window;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  return SendAcross(window, std::move(message), true, false, std::nullopt).result;
}

LRESULT SendMessageTimeout(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeoutMs, LRESULT* result)
{
  QueuedMessage message;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  return SendTimed(window, std::move(message), flags, timeoutMs, result);
}

LRESULT SendTextMessageTimeout(HWND window, UINT msg, WPARAM wParam, std::string_view text,
                               UINT flags, UINT timeoutMs, LRESULT* result)
{
  QueuedMessage message;
  message.msg = msg;
  message.wParam = wParam;
  message.text = std::make_unique<std::string>(text);
  message.lParam = reinterpret_cast<LPARAM>(message.text->c_str());
  return SendTimed(window, std::move(message), flags, timeoutMs, result);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto window = Lookup(hwnd);
  if (!window) {
    return false;
  }
  QueuedMessage message;
  message.window = window;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  return Enqueue(window, std::move(message), false, false);
}

std::size_t ProcessPendingMessages()
{
  const auto& self = CurrentQueue();
  std::size_t handled = 0;
  std::unique_lock lock(self->mutex);
  // Only what waits now, so a steady stream of new messages cannot keep the caller here.
  std::size_t budget = self->sent.size() + self->posted.size();
  while (handled < budget && (!self->sent.empty() || !self->posted.empty())) {
    auto& from = self->sent.empty() ? self->posted : self->sent;
    QueuedMessage message = std::move(from.front());
    from.pop_front();
    lock.unlock();
    Handle(message);
    ++handled;
    lock.lock();
  }
  return handled;
}

bool HasPendingMessages()
{
  const auto& self = CurrentQueue();
  std::lock_guard lock(self->mutex);
  return !self->sent.empty() || !self->posted.empty();
}

void SetThreadDispatcher(Dispatcher* dispatcher)
{
  const auto& self = CurrentQueue();
  std::lock_guard lock(self->mutex);
  self->dispatcher = dispatcher;
  if (dispatcher != nullptr && (!self->sent.empty() || !self->posted.empty())) {
    dispatcher->Wake();
  }
}

struct PlainDispatcher::State
{
  std::mutex mutex;
  std::condition_variable cv;
  bool woken = false;
};

PlainDispatcher::PlainDispatcher() : m_pState(std::make_unique<State>())
{
  SetThreadDispatcher(this);
}

PlainDispatcher::~PlainDispatcher()
{
  SetThreadDispatcher(nullptr);
}

void PlainDispatcher::Wake()
{
  std::lock_guard lock(m_pState->mutex);
  m_pState->woken = true;
  m_pState->cv.notify_all();
}

std::size_t PlainDispatcher::PumpMessages()
{
  return ProcessPendingMessages();
}

bool PlainDispatcher::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
  // Keeps now + limit from overflowing for "practically forever" limits.
  const auto deadline =
      Clock::now() + std::min<std::chrono::milliseconds>(limit, std::chrono::hours(24 * 365));
  for (;;) {
    ProcessPendingMessages();
    if (done()) {
      return true;
    }
    std::unique_lock lock(m_pState->mutex);
    if (!m_pState->cv.wait_until(lock, deadline, [&] { return m_pState->woken; })) {
      lock.unlock();
      return done();
    }
    m_pState->woken = false;
  }
}

HWND GetMainWnd()
{
  return tMainWnd;
}

void SetMainWnd(HWND window)
{
  tMainWnd = window;
}

std::thread StartThread(std::function<void()> body)
{
  HWND mainWnd = tMainWnd;
  try {
    return std::thread([mainWnd, body = std::move(body)] {
      tMainWnd = mainWnd;
      body();
    });
  } catch (...) {
    return {};
  }
}

LRESULT SendToMainWindow(UINT msg, WPARAM wParam, LPARAM lParam)
{
  HWND mainWnd = tMainWnd;
  return mainWnd == nullptr ? 0 : SendMessage(mainWnd, msg, wParam, lParam);
}

LRESULT SendTextToMainWindowTimeout(UINT msg, WPARAM wParam, std::string_view text, UINT flags,
                                    UINT timeoutMs, LRESULT* result)
{
  HWND mainWnd = tMainWnd;
  return mainWnd == nullptr
             ? 0
             : SendTextMessageTimeout(mainWnd, msg, wParam, text, flags, timeoutMs, result);
}

} // namespace platform
