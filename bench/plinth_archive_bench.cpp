// Saving and loading a suite of 100,000 test cases through the archive, against writing and
// reading the same number of bytes with plain file I/O in the same run.
#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCases = 100000;
constexpr size_t kBufSize = 4096;

std::string TempFile(const char* name)
{
  return (std::filesystem::temp_directory_path() /
          (std::string("plinth-bench-") + std::to_string(getpid()) + "-" + name))
      .string();
}

void FillSuite(CTestSuite& suite)
{
  for (int i = 0; i < kCases; ++i) {
    auto* p = new CTestCase;
    p->m_strClassName = "Marlow";
    p->m_strLabel = "Test case " + std::to_string(i);
    p->m_strModelName = "Default";
    p->m_nIterations = 1 + i % 5;
    p->m_dwStatus = 7;
    suite.push_back(p);
  }
  suite.m_strName = "Benchmark suite";
  suite.m_strPath = "/tmp/bench.ts";
  suite.m_strComponent = "Marlow";
}

bool SaveSuite(CTestSuite& suite, const std::string& path)
{
  CFile file;
  if (!file.Open(path, CFile::modeWrite | CFile::modeCreate)) {
    return false;
  }
  CArchive ar(&file, CArchive::store, kBufSize);
  suite.Serialize(ar);
  return ar.Close();
}

uint64_t SuiteBytes()
{
  static uint64_t bytes = [] {
    CTestSuite suite;
    FillSuite(suite);
    const std::string path = TempFile("size.ts");
    SaveSuite(suite, path);
    uint64_t size = std::filesystem::file_size(path);
    std::filesystem::remove(path);
    return size;
  }();
  return bytes;
}

void BM_ArchiveSave(benchmark::State& state)
{
  CTestSuite suite;
  FillSuite(suite);
  const std::string path = TempFile("save.ts");
  for (auto _ : state) {
    if (!SaveSuite(suite, path)) {
      state.SkipWithError("save failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SuiteBytes()));
  std::filesystem::remove(path);
}

void BM_PlainWrite(benchmark::State& state)
{
  const std::vector<char> data(SuiteBytes(), 'x');
  const std::string path = TempFile("plain-write");
  for (auto _ : state) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (size_t done = 0; done < data.size(); done += kBufSize) {
      const size_t n = std::min(kBufSize, data.size() - done);
      if (write(fd, data.data() + done, n) != static_cast<ssize_t>(n)) {
        state.SkipWithError("write failed");
      }
    }
    close(fd);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  std::filesystem::remove(path);
}

void BM_ArchiveLoad(benchmark::State& state)
{
  const std::string path = TempFile("load.ts");
  {
    CTestSuite suite;
    FillSuite(suite);
    SaveSuite(suite, path);
  }
  for (auto _ : state) {
    auto* suite = new CTestSuite;
    CFile file;
    file.Open(path, CFile::modeRead);
    CArchive ar(&file, CArchive::load, kBufSize);
    if (!suite->TrySerialize(ar) || suite->size() != kCases) {
      state.SkipWithError("load failed");
    }
    state.PauseTiming();
    delete suite;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SuiteBytes()));
  std::filesystem::remove(path);
}

void BM_PlainRead(benchmark::State& state)
{
  const std::string path = TempFile("plain-read");
  {
    const std::vector<char> data(SuiteBytes(), 'x');
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  std::vector<char> buffer(kBufSize);
  for (auto _ : state) {
    int fd = open(path.c_str(), O_RDONLY);
    size_t total = 0;
    ssize_t n;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0) {
      total += static_cast<size_t>(n);
      benchmark::DoNotOptimize(buffer.data());
    }
    close(fd);
    if (total != SuiteBytes()) {
      state.SkipWithError("read failed");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SuiteBytes()));
  std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveLoad)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
