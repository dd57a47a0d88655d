// Registry reads and writes per second, hot and durable, against plain file I/O of the same
// bytes in the same run.
#include "platform/registry.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace platform;

namespace {

class Scratch
{
public:
  Scratch()
  {
    char pattern[] = "/tmp/halvex-bench-XXXXXX";
    m_folder = mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~Scratch() { std::filesystem::remove_all(m_folder); }
  std::string File(const char* name) const { return m_folder + "/" + name; }

private:
  std::string m_folder;
};

struct OpenRegistry
{
  Scratch scratch;
  HKEY root = nullptr;
  HKEY key = nullptr;
  OpenRegistry()
  {
    RegConnectRegistryFile(scratch.File("bench.db"), HKEY_LOCAL_MACHINE, &root);
    RegCreateKeyEx(root, "SOFTWARE\\Orvane\\Halvex", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                   nullptr);
  }
  ~OpenRegistry()
  {
    RegCloseKey(key);
    RegCloseKey(root);
  }
};

const char kName[] = "LoggingLevel";

void SetLevel(HKEY key, DWORD value)
{
  RegSetValueEx(key, kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Baseline for durable writes: the value's name and bytes written and fsync'ed.
void BM_FileWriteFsync(benchmark::State& state)
{
  Scratch scratch;
  int fd = open(scratch.File("plain").c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
  DWORD value = 0;
  for (auto _ : state) {
    ++value;
    pwrite(fd, kName, sizeof kName, 0);
    pwrite(fd, &value, sizeof value, sizeof kName);
    fsync(fd);
  }
  close(fd);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FileWriteFsync)->UseRealTime();

// Durable: each write is its own transaction, synced before the call returns.
void BM_RegSetValueDurable(benchmark::State& state)
{
  OpenRegistry registry;
  DWORD value = 0;
  for (auto _ : state) {
    SetLevel(registry.key, ++value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegSetValueDurable)->UseRealTime();

// Hot: many writes in one transaction, one sync at its end.
void BM_RegSetValueBatched(benchmark::State& state)
{
  OpenRegistry registry;
  const int batch = static_cast<int>(state.range(0));
  DWORD value = 0;
  for (auto _ : state) {
    RegRunTransaction(registry.key, [&] {
      for (int i = 0; i < batch; ++i) {
        SetLevel(registry.key, ++value);
      }
      return ERROR_SUCCESS;
    });
  }
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_RegSetValueBatched)->Arg(1000)->UseRealTime();

// Baseline for reads: the same bytes read back from a file in the page cache.
void BM_FileRead(benchmark::State& state)
{
  Scratch scratch;
  int fd = open(scratch.File("plain").c_str(), O_CREAT | O_RDWR | O_TRUNC | O_CLOEXEC, 0644);
  DWORD value = 7;
  pwrite(fd, kName, sizeof kName, 0);
  pwrite(fd, &value, sizeof value, sizeof kName);
  char name[sizeof kName];
  for (auto _ : state) {
    pread(fd, name, sizeof name, 0);
    pread(fd, &value, sizeof value, sizeof kName);
    benchmark::DoNotOptimize(value);
  }
  close(fd);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FileRead);

// Hot read: the value is in SQLite's page cache.
void BM_RegQueryValue(benchmark::State& state)
{
  OpenRegistry registry;
  SetLevel(registry.key, 7);
  for (auto _ : state) {
    DWORD value = 0;
    DWORD size = sizeof value;
    RegQueryValueEx(registry.key, kName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegQueryValue);

// A read that opens and closes the key, as CRegKey users do.
void BM_RegOpenQueryClose(benchmark::State& state)
{
  OpenRegistry registry;
  SetLevel(registry.key, 7);
  for (auto _ : state) {
    HKEY key = nullptr;
    RegOpenKeyEx(registry.root, "SOFTWARE\\Orvane\\Halvex", 0, KEY_READ, &key);
    DWORD value = 0;
    DWORD size = sizeof value;
    RegQueryValueEx(key, kName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegOpenQueryClose);

} // namespace

BENCHMARK_MAIN();
