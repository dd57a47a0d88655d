// The sorrel dropped-sample scan against memcpy of the same frame, per layout, and the
// pattern searches per call. A capture driver writes each frame before it is scanned, so the
// scan is timed as "write + scan" beside "write" (a memcpy) in the same run; the scan alone
// costs the difference. "all dropped" times the slow path: a buffer nobody wrote again.
#include "sorrel/drop_scan.h"
#include "sorrel/pattern_renderer.h"
#include "sorrel/pattern_search.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using namespace sorrel;

constexpr Layout kLayouts[] = {Layout::YUY2, Layout::UYVY, Layout::Y41P,
                               Layout::IYUV, Layout::YV12, Layout::YVU9};

FrameGeometry GeometryOf(const benchmark::State& state)
{
  return FrameGeometry(kLayouts[state.range(0)], int(state.range(1)), int(state.range(2)));
}

void Label(benchmark::State& state, size_t bytes)
{
  state.SetLabel(std::string(LayoutName(kLayouts[state.range(0)])) + " " +
                 std::to_string(state.range(1)) + "x" + std::to_string(state.range(2)));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
  state.counters["frames/s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Memcpy(benchmark::State& state)
{
  const FrameGeometry g = GeometryOf(state);
  const std::vector<uint8_t> frame = RenderFlat(g).Pack();
  std::vector<uint8_t> buffer(frame.size());
  for (auto _ : state) {
    std::memcpy(buffer.data(), frame.data(), frame.size());
    benchmark::ClobberMemory();
  }
  Label(state, frame.size());
}

void BM_WriteThenScan(benchmark::State& state)
{
  const FrameGeometry g = GeometryOf(state);
  const std::vector<uint8_t> frame = RenderFlat(g).Pack();
  std::vector<uint8_t> buffer(frame.size());
  DropScanResult result;
  for (auto _ : state) {
    std::memcpy(buffer.data(), frame.data(), frame.size());
    ScanFrame(g, buffer.data(), buffer.size(), {}, &result);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
  Label(state, frame.size());
}

void BM_ScanAllDropped(benchmark::State& state)
{
  const FrameGeometry g = GeometryOf(state);
  std::vector<uint8_t> buffer(g.FrameSize(), 0);
  DropScanResult result;
  for (auto _ : state) {
    ScanFrame(g, buffer.data(), buffer.size(), {}, &result);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
  Label(state, buffer.size());
}

void BM_SearchSmpte(benchmark::State& state)
{
  const FrameGeometry g = GeometryOf(state);
  const std::vector<uint8_t> frame = RenderSmpte(g).Pack();
  const FrameView view{g, frame.data()};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SearchSmpte(view));
  }
  Label(state, 0);
}

void BM_SearchSw2(benchmark::State& state)
{
  const FrameGeometry g = GeometryOf(state);
  const std::vector<uint8_t> frame = RenderSw2(g).Pack();
  const FrameView view{g, frame.data()};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SearchSw2(view));
  }
  Label(state, 0);
}

void FrameSizes(benchmark::internal::Benchmark* b)
{
  for (int layout = 0; layout < 6; ++layout) {
    b->Args({layout, 720, 480});
    b->Args({layout, 1920, 1080});
  }
}

void SearchSizes(benchmark::internal::Benchmark* b)
{
  for (int layout = 0; layout < 6; ++layout) {
    b->Args({layout, 720, 480});
  }
}

BENCHMARK(BM_Memcpy)->Apply(FrameSizes);
BENCHMARK(BM_WriteThenScan)->Apply(FrameSizes);
BENCHMARK(BM_ScanAllDropped)->Apply(FrameSizes);
BENCHMARK(BM_SearchSmpte)->Apply(SearchSizes);
BENCHMARK(BM_SearchSw2)->Apply(SearchSizes);

} // namespace

BENCHMARK_MAIN();
