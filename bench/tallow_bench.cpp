// tallow against plain I/O: a 100 MB tagged log and a 100 MB plain log through iTranslateToNTLog,
// each against appending the same file to a results file with fread/fwrite, in the same run.
// Prints MB/s per benchmark and the ratios translation time / copy time.
#include "platform/modules.h"
#include "ratioreporter.h"
#include "tallow/tallow.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kLogBytes = 100u * 1000u * 1000u;

struct Files
{
  std::filesystem::path folder;
  std::string tagged, plain, results;
  Files()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "tallow-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    tagged = (folder / "tagged.log").string();
    plain = (folder / "plain.log").string();
    results = (folder / "results.txt").string();
    Write(tagged, true);
    Write(plain, false);
  }
  ~Files() { std::filesystem::remove_all(folder); }

  // A realistic mix: cases of information, pass and now and then warning lines.
  static void Write(const std::string& path, bool tagged)
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::size_t written = 0;
    char line[256];
    for (unsigned n = 0; written < kLogBytes; ++n) {
      int length = 0;
      if (tagged) {
        switch (n % 6) {
        case 0:
          length = std::snprintf(line, sizeof line, "[Case>] Case %u: frame capture\n", n);
          break;
        case 1:
        case 2:
          length =
              std::snprintf(line, sizeof line,
                            "[     ] frame %u measured 29.97 fps, 720x480, levels 16-235\n", n);
          break;
        case 3:
          length = std::snprintf(line, sizeof line, "[ Pass] frame %u within limits\n", n);
          break;
        case 4:
          length = n % 60 == 4
                       ? std::snprintf(line, sizeof line, "[ Warn] frame %u late by 2 ms\n", n)
                       : std::snprintf(line, sizeof line, "[ Pass] field order %u top first\n", n);
          break;
        default:
          length = std::snprintf(line, sizeof line, "[<Case] Case %u done\n", n);
          break;
        }
      } else {
        length = n % 50 == 0
                     ? std::snprintf(line, sizeof line, "step %u result +TEST+PASS\n", n)
                     : std::snprintf(line, sizeof line,
                                     "step %u: wrote sector %u, read back, compared 512 bytes\n", n,
                                     n * 7);
      }
      std::fwrite(line, 1, static_cast<std::size_t>(length), out);
      written += static_cast<std::size_t>(length);
    }
    std::fclose(out);
  }

  void ClearResults() const
  {
    std::filesystem::remove(results);
    std::filesystem::remove(results + "NT");
  }
};

Files* gFiles = nullptr;
iTranslateToNTLog_fn gTranslate = nullptr;

void AppendWithPlainIo(const std::string& from, const std::string& to)
{
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "ab");
  std::vector<char> block(1 << 20);
  while (std::size_t got = std::fread(block.data(), 1, block.size(), in)) {
    std::fwrite(block.data(), 1, got, out);
  }
  std::fclose(in);
  std::fclose(out);
}

void Copy(benchmark::State& state, bool tagged)
{
  for (auto _ : state) {
    state.PauseTiming();
    gFiles->ClearResults();
    state.ResumeTiming();
    AppendWithPlainIo(tagged ? gFiles->tagged : gFiles->plain, gFiles->results);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLogBytes));
}

void Translate(benchmark::State& state, bool tagged)
{
  for (auto _ : state) {
    state.PauseTiming();
    gFiles->ClearResults();
    state.ResumeTiming();
    int32_t status = 0;
    const int result = gTranslate((tagged ? gFiles->tagged : gFiles->plain).c_str(),
                                  gFiles->results.c_str(), &status);
    if (result != 1) {
      state.SkipWithError("translation failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLogBytes));
}

void BM_CopyTaggedLog(benchmark::State& state)
{
  Copy(state, true);
}
void BM_TallowTaggedLog(benchmark::State& state)
{
  Translate(state, true);
}
void BM_CopyPlainLog(benchmark::State& state)
{
  Copy(state, false);
}
void BM_TallowPlainLog(benchmark::State& state)
{
  Translate(state, false);
}

BENCHMARK(BM_CopyTaggedLog)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TallowTaggedLog)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPlainLog)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TallowPlainLog)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  platform::HMODULE tallow = platform::LoadLibrary("tallow.dll");
  if (!tallow) {
    std::fprintf(stderr, "cannot load tallow: %s\n", platform::LastModuleError().c_str());
    return 1;
  }
  gTranslate =
      reinterpret_cast<iTranslateToNTLog_fn>(platform::GetProcAddress(tallow, "iTranslateToNTLog"));
  Files files;
  gFiles = &files;

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_TallowTaggedLog/iterations:3", "BM_CopyTaggedLog/iterations:3");
  reporter.PrintRatio("BM_TallowPlainLog/iterations:3", "BM_CopyPlainLog/iterations:3");
  gFiles = nullptr;
  benchmark::Shutdown();
  platform::FreeLibrary(tallow);
  return 0;
}
