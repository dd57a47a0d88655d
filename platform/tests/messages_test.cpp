#include "platform/messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr UINT kTestMsg = 0x0400;

// A thread that owns one window and runs the plain dispatcher until stopped.
class OwnerThread
{
public:
  explicit OwnerThread(WindowProc handler, std::string className = "OwnerThreadClass")
  {
    std::promise<HWND> created;
    auto future = created.get_future();
    m_thread = std::thread([&, handler = std::move(handler)] {
      PlainDispatcher dispatcher;
      m_dispatcher = &dispatcher;
      m_ownerId = std::this_thread::get_id();
      created.set_value(CreateWindow(className, handler));
      dispatcher.RunUntil([this] { return m_stop.load(); }, 60s);
      m_dispatcher = nullptr;
    });
    m_window = future.get();
  }
  ~OwnerThread() { Stop(); }

  void Stop()
  {
    if (m_thread.joinable()) {
      m_stop = true;
      WakeOwner();
      m_thread.join();
    }
  }

  HWND Window() const { return m_window; }
  std::thread::id OwnerId() const { return m_ownerId; }

private:
  void WakeOwner()
  {
    // Any queued message wakes the loop, which then sees the stop flag.
    PostMessage(m_window, 0, 0, 0);
  }

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  PlainDispatcher* m_dispatcher = nullptr;
  std::thread::id m_ownerId;
  HWND m_window = nullptr;
};

} // namespace

TEST(RegisterWindowMessageTest, SameNameSameNumberIgnoringCase)
{
  UINT first = RegisterWindowMessage("Messages Test Alpha");
  UINT second = RegisterWindowMessage("Messages Test Beta");
  EXPECT_GE(first, 0xC000u);
  EXPECT_LE(first, 0xFFFFu);
  EXPECT_GE(second, 0xC000u);
  EXPECT_NE(first, second);
  struct Case
  {
    const char* name;
    UINT expected;
  };
  const Case cases[] = {
      {"Messages Test Alpha", first},
      {"MESSAGES TEST ALPHA", first},
      {"messages test alpha", first},
      {"Messages Test Beta", second},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RegisterWindowMessage(c.name), c.expected);
  }
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(RegisterWindowMessageTest, SameNumberOnEveryThread)
{
  UINT here = RegisterWindowMessage("Messages Test Shared");
  std::vector<UINT> seen(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] {
      seen[i] = RegisterWindowMessage(i % 2 ? "messages test shared" : "Messages Test Other");
    });
  }
  for (auto& t : threads) {
    t.join();
  }
  UINT other = RegisterWindowMessage("Messages Test Other");
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i], i % 2 ? here : other);
  }
}

TEST(MessagesTest, SameThreadSendIsDirectCall)
{
  std::thread::id handledOn;
  int calls = 0;
  HWND window = CreateWindow("DirectClass", [&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    handledOn = std::this_thread::get_id();
    ++calls;
    return static_cast<LRESULT>(msg + w + static_cast<WPARAM>(l));
  });
  ASSERT_NE(window, nullptr);
  // No dispatcher and no pumping: a queued message would never be handled.
  EXPECT_EQ(SendMessage(window, 10, 20, 30), 60);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(handledOn, std::this_thread::get_id());
  LRESULT result = -1;
  EXPECT_NE(SendMessageTimeout(window, 1, 2, 3, SMTO_BLOCK, 0, &result), 0);
  EXPECT_EQ(result, 6);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(HasPendingMessages());
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(SendMessage(window, 1, 0, 0), 0);
  EXPECT_EQ(calls, 2);
}

TEST(MessagesTest, CrossThreadSendWaitsForHandler)
{
  std::atomic<bool> handlerFinished{false};
  std::thread::id handledOn;
  OwnerThread owner([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg != kTestMsg) {
      return 0;
    }
    handledOn = std::this_thread::get_id();
    std::this_thread::sleep_for(50ms);
    auto* text = reinterpret_cast<const char*>(l);
    handlerFinished = true;
    return static_cast<LRESULT>(std::strlen(text) + w);
  });
  std::string text = "twelve chars";
  LRESULT result =
      SendMessage(owner.Window(), kTestMsg, 100, reinterpret_cast<LPARAM>(text.c_str()));
  EXPECT_TRUE(handlerFinished.load());
  EXPECT_EQ(result, 112);
  EXPECT_EQ(handledOn, owner.OwnerId());
  EXPECT_NE(handledOn, std::this_thread::get_id());
}

TEST(MessagesTest, TimedOutSendReturnsAndHandlerStillReadsText)
{
  std::mutex gate;
  std::unique_lock hold(gate); // keeps the owner's handler from finishing
  std::mutex seenMutex;
  std::condition_variable seenChanged;
  std::vector<std::string> seen;
  OwnerThread owner([&](UINT msg, WPARAM, LPARAM l) -> LRESULT {
    if (msg != kTestMsg) {
      return 0;
    }
    std::lock_guard wait(gate);
    std::lock_guard lock(seenMutex);
    seen.emplace_back(reinterpret_cast<const char*>(l));
    seenChanged.notify_all();
    return 7;
  });

  const std::string original = "log line that outlives its sender";
  std::size_t expectedSeen = 0;
  for (UINT flags : {SMTO_BLOCK, SMTO_NORMAL}) {
    SCOPED_TRACE(flags);
    auto text = std::make_unique<std::string>(original);
    LRESULT result = -1;
    auto start = std::chrono::steady_clock::now();
    LRESULT sent = SendTextMessageTimeout(owner.Window(), kTestMsg, 0, *text, flags, 500, &result);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(result, -1) << "a timed-out send leaves the result untouched";
    EXPECT_GE(waited, 400ms);
    EXPECT_LT(waited, 5s);
    text.reset(); // the sender frees its text at once, as senders of log lines do

    hold.unlock();
    ++expectedSeen;
    {
      std::unique_lock lock(seenMutex);
      ASSERT_TRUE(seenChanged.wait_for(lock, 30s, [&] { return seen.size() == expectedSeen; }));
      EXPECT_EQ(seen.back(), original);
    }
    hold.lock();
  }
  hold.unlock();
}

TEST(MessagesTest, TimeoutSendSucceedsWhenHandledInTime)
{
  OwnerThread owner(
      [&](UINT msg, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w * 2); });
  LRESULT result = 0;
  EXPECT_NE(SendMessageTimeout(owner.Window(), kTestMsg, 21, 0, SMTO_ABORTIFHUNG, 5000, &result),
            0);
  EXPECT_EQ(result, 42);
}

TEST(MessagesTest, PostedMessagesKeepOrder)
{
  std::vector<WPARAM> order;
  HWND window = CreateWindow("PostClass", [&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
    order.push_back(w);
    return 0;
  });
  for (WPARAM i = 0; i < 5; ++i) {
    EXPECT_TRUE(PostMessage(window, kTestMsg, i, 0));
  }
  EXPECT_TRUE(order.empty()) << "posting never calls the handler directly";
  EXPECT_TRUE(HasPendingMessages());
  EXPECT_EQ(ProcessPendingMessages(), 5u);
  EXPECT_EQ(order, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
  DestroyWindow(window);
}

TEST(MessagesTest, PostsFromManyThreadsKeepEachSendersOrder)
{
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::vector<int>> received(kThreads);
  std::atomic<int> total{0};
  OwnerThread owner([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == kTestMsg) {
      received[w].push_back(static_cast<int>(l));
      ++total;
    }
    return 0;
  });
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        PostMessage(owner.Window(), kTestMsg, static_cast<WPARAM>(t), i);
      }
    });
  }
  for (auto& s : senders) {
    s.join();
  }
  // A send is handled after everything the owner has pumped before it.
  while (total.load() < kThreads * kEach) {
    SendMessage(owner.Window(), kTestMsg + 1, 0, 0);
  }
  owner.Stop();
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    ASSERT_EQ(received[t].size(), static_cast<std::size_t>(kEach));
    for (int i = 0; i < kEach; ++i) {
      EXPECT_EQ(received[t][i], i);
    }
  }
}

TEST(MessagesTest, MainWindowIsInheritedByStartedThreads)
{
  HWND window = CreateWindow(
      "MainClass", [](UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w); });
  EXPECT_EQ(GetMainWnd(), nullptr);
  EXPECT_EQ(SendToMainWindow(kTestMsg, 5, 0), 0) << "no main window: nothing sent";
  SetMainWnd(window);
  EXPECT_EQ(GetMainWnd(), window);

  HWND inherited = nullptr;
  HWND plain = reinterpret_cast<HWND>(1);
  std::thread started = StartThread([&] { inherited = GetMainWnd(); });
  ASSERT_TRUE(started.joinable());
  started.join();
  std::thread other([&] {
    plain = GetMainWnd();
    LRESULT result = 0;
    EXPECT_EQ(SendTextToMainWindowTimeout(kTestMsg, 1, "x", SMTO_BLOCK, 100, &result), 0);
  });
  other.join();
  EXPECT_EQ(inherited, window);
  EXPECT_EQ(plain, nullptr) << "threads not started through the layer have no main window";
  EXPECT_EQ(SendToMainWindow(kTestMsg, 5, 0), 5);

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(GetMainWnd(), nullptr);
}

TEST(MessagesTest, WorkerSendsToInheritedMainWindow)
{
  PlainDispatcher dispatcher;
  std::vector<std::string> lines;
  HWND window = CreateWindow("HALVEXclass-test", [&](UINT msg, WPARAM, LPARAM l) -> LRESULT {
    lines.emplace_back(reinterpret_cast<const char*>(l));
    return 1;
  });
  SetMainWnd(window);
  std::atomic<bool> done{false};
  std::thread worker = StartThread([&] {
    std::string line = "from worker";
    SendToMainWindow(kTestMsg, 0, reinterpret_cast<LPARAM>(line.c_str()));
    LRESULT result = 0;
    SendTextToMainWindowTimeout(kTestMsg, 0, "second", SMTO_BLOCK, 5000, &result);
    done = true;
    dispatcher.Wake();
  });
  EXPECT_TRUE(dispatcher.RunUntil([&] { return done.load(); }, 30s));
  worker.join();
  EXPECT_EQ(lines, (std::vector<std::string>{"from worker", "second"}));
  SetMainWnd(nullptr);
  DestroyWindow(window);
}

TEST(MessagesTest, FindWindowByClassIgnoringCase)
{
  HWND a = CreateWindow("FindMeClass", [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  HWND b = CreateWindow("OtherFindClass", [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  struct Case
  {
    const char* name;
    HWND expected;
  };
  const Case cases[] = {
      {"FindMeClass", a}, {"findmeclass", a}, {"OTHERFINDCLASS", b}, {"NoSuchClass", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindWindow(c.name), c.expected);
  }
  EXPECT_EQ(GetClassName(a), "FindMeClass");
  DestroyWindow(a);
  EXPECT_EQ(FindWindow("FindMeClass"), nullptr);
  DestroyWindow(b);
}

TEST(MessagesTest, MutualSendsBetweenThreadsDoNotDeadlock)
{
  HWND mine = CreateWindow(
      "MutualA", [](UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w + 1); });
  // The other thread's handler sends back to our window while we wait for it.
  OwnerThread owner([&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
    return msg == kTestMsg ? SendMessage(mine, kTestMsg, w, 0) * 10 : 0;
  });
  EXPECT_EQ(SendMessage(owner.Window(), kTestMsg, 4, 0), 50);
  owner.Stop();
  DestroyWindow(mine);
}

TEST(MessagesTest, OwnerEndingReleasesWaitingSenders)
{
  HWND orphan = nullptr;
  std::promise<void> created;
  std::promise<void> release;
  std::thread owner([&] {
    orphan = CreateWindow("EndingOwner", [](UINT, WPARAM, LPARAM) -> LRESULT { return 9; });
    created.set_value();
    release.get_future().wait(); // never pumps
  });
  created.get_future().wait();
  auto pending =
      std::async(std::launch::async, [&] { return SendMessage(orphan, kTestMsg, 0, 0); });
  EXPECT_EQ(pending.wait_for(100ms), std::future_status::timeout);
  release.set_value();
  owner.join();
  EXPECT_EQ(pending.get(), 0);
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_FALSE(PostMessage(orphan, kTestMsg, 0, 0));
}

TEST(MessagesTest, DestroyedWindowDropsQueuedTexts)
{
  int calls = 0;
  HWND window = CreateWindow("DropClass", [&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++calls;
    return 0;
  });
  std::thread sender([&] {
    LRESULT result = 0;
    EXPECT_EQ(SendTextMessageTimeout(window, kTestMsg, 0, "dropped", SMTO_BLOCK, 50, &result), 0);
  });
  sender.join();
  EXPECT_TRUE(HasPendingMessages());
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(HasPendingMessages());
  EXPECT_EQ(ProcessPendingMessages(), 0u);
  EXPECT_EQ(calls, 0);
}

TEST(MessagesTest, BadInputsAreRefused)
{
  EXPECT_EQ(CreateWindow("", [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; }), nullptr);
  EXPECT_EQ(CreateWindow("NoHandler", WindowProc{}), nullptr);
  HWND bogus = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xdead0000));
  LRESULT result = 3;
  EXPECT_EQ(SendMessageTimeout(bogus, 1, 0, 0, SMTO_BLOCK, 10, &result), 0);
  EXPECT_EQ(result, 3);
  EXPECT_FALSE(PostMessage(bogus, 1, 0, 0));
  EXPECT_FALSE(DestroyWindow(bogus));
  EXPECT_EQ(GetClassName(bogus), "");
}

TEST(MessagesTest, AbortIfHungGivesUpAtOnceOnHungOwner)
{
  std::mutex gate;
  std::unique_lock hold(gate);
  std::atomic<int> handled{0};
  OwnerThread owner([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == kTestMsg) {
      std::lock_guard wait(gate);
      ++handled;
    }
    return 1;
  });
  // The first message blocks the owner; the second waits in its queue until it looks hung.
  LRESULT result = 0;
  EXPECT_EQ(SendTextMessageTimeout(owner.Window(), kTestMsg, 0, "a", SMTO_BLOCK, 10, &result), 0);
  EXPECT_EQ(SendTextMessageTimeout(owner.Window(), kTestMsg, 0, "b", SMTO_BLOCK, 10, &result), 0);
  std::this_thread::sleep_for(kHungThreshold + 200ms);

  for (UINT timeout : {10000u, 500u}) {
    SCOPED_TRACE(timeout);
    auto start = std::chrono::steady_clock::now();
    result = -1;
    EXPECT_EQ(SendTextMessageTimeout(owner.Window(), kTestMsg, 0, "c", SMTO_ABORTIFHUNG, timeout,
                                     &result),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 400ms) << "no waiting on a hung owner";
    EXPECT_EQ(result, -1);
  }
  hold.unlock();
  for (int i = 0; i < 3000 && handled.load() < 2; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  // Once it has caught up, it is no longer hung and takes messages again.
  EXPECT_NE(SendMessageTimeout(owner.Window(), kTestMsg, 0, 0, SMTO_ABORTIFHUNG, 30000, &result),
            0);
  EXPECT_EQ(handled.load(), 3)
      << "the two timed-out sends were still handled, the aborted ones not";
}

namespace {

// Stands for an event loop such as the GUI's: counts wake-ups, pumps when told.
class CountingDispatcher : public Dispatcher
{
public:
  void Wake() override { ++m_wakes; }
  int Wakes() const { return m_wakes.load(); }

private:
  std::atomic<int> m_wakes{0};
};

} // namespace

TEST(MessagesTest, AttachedDispatcherIsWokenForWork)
{
  std::vector<WPARAM> handled;
  HWND window = CreateWindow("WakeClass", [&](UINT, WPARAM w, LPARAM) -> LRESULT {
    handled.push_back(w);
    return 0;
  });
  PostMessage(window, kTestMsg, 1, 0);
  CountingDispatcher dispatcher;
  SetThreadDispatcher(&dispatcher);
  EXPECT_EQ(dispatcher.Wakes(), 1) << "work waiting when attached wakes it at once";
  std::thread poster([&] { PostMessage(window, kTestMsg, 2, 0); });
  poster.join();
  EXPECT_EQ(dispatcher.Wakes(), 2);
  EXPECT_EQ(ProcessPendingMessages(), 2u);
  EXPECT_EQ(handled, (std::vector<WPARAM>{1, 2}));
  SetThreadDispatcher(nullptr);
  std::thread later([&] { PostMessage(window, kTestMsg, 3, 0); });
  later.join();
  EXPECT_EQ(dispatcher.Wakes(), 2) << "a detached dispatcher is left alone";
  EXPECT_EQ(ProcessPendingMessages(), 1u);
  DestroyWindow(window);
}

TEST(MessagesTest, RunUntilStopsAtItsLimitOrWhenDone)
{
  PlainDispatcher dispatcher;
  EXPECT_FALSE(dispatcher.RunUntil([] { return false; }, 20ms));
  EXPECT_TRUE(dispatcher.RunUntil([] { return true; }, std::chrono::milliseconds::max()));
  int handled = 0;
  HWND window = CreateWindow("RunUntilClass", [&](UINT, WPARAM, LPARAM) -> LRESULT {
    ++handled;
    return 0;
  });
  std::thread poster([&] { PostMessage(window, kTestMsg, 0, 0); });
  EXPECT_TRUE(dispatcher.RunUntil([&] { return handled == 1; }, 30s));
  poster.join();
  EXPECT_EQ(dispatcher.PumpMessages(), 0u);
  DestroyWindow(window);
}
