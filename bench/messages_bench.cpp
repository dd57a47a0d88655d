// Message round trip from a worker thread to a window owned by a thread running the plain
// dispatcher, against a direct call of the same handler.
#include "platform/messages.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <future>
#include <thread>

using namespace platform;

namespace {

LRESULT Handler(UINT msg, WPARAM wParam, LPARAM lParam)
{
  return static_cast<LRESULT>(msg + wParam) + lParam;
}

void BM_DirectCall(benchmark::State& state)
{
  WindowProc handler = Handler;
  WPARAM w = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(handler(0x400, w++, 1));
  }
}
BENCHMARK(BM_DirectCall);

void BM_SendMessageSameThread(benchmark::State& state)
{
  HWND window = CreateWindow("BenchSameThread", Handler);
  WPARAM w = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SendMessage(window, 0x400, w++, 1));
  }
  DestroyWindow(window);
}
BENCHMARK(BM_SendMessageSameThread);

template <bool kText> void SendAcrossThreads(benchmark::State& state)
{
  std::atomic<bool> stop{false};
  std::promise<HWND> created;
  std::thread owner([&] {
    PlainDispatcher dispatcher;
    created.set_value(CreateWindow("BenchOwner", Handler));
    dispatcher.RunUntil([&] { return stop.load(); }, std::chrono::hours(1));
  });
  HWND window = created.get_future().get();
  WPARAM w = 0;
  for (auto _ : state) {
    if constexpr (kText) {
      LRESULT result = 0;
      benchmark::DoNotOptimize(
          SendTextMessageTimeout(window, 0x400, w++, "a log line", SMTO_BLOCK, 500, &result));
    } else {
      benchmark::DoNotOptimize(SendMessage(window, 0x400, w++, 1));
    }
  }
  stop = true;
  PostMessage(window, 0, 0, 0); // wakes the owner to see the stop flag
  owner.join();
}

void BM_SendMessageFromWorker(benchmark::State& state)
{
  SendAcrossThreads<false>(state);
}
BENCHMARK(BM_SendMessageFromWorker)->UseRealTime();

void BM_SendTextMessageTimeoutFromWorker(benchmark::State& state)
{
  SendAcrossThreads<true>(state);
}
BENCHMARK(BM_SendTextMessageTimeoutFromWorker)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
