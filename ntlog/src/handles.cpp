// The table of live log handles.
#include "handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace ntlog {

namespace {

struct HandleTable
{
  std::mutex mutex;
  std::unordered_map<HLOG, std::shared_ptr<TestLog>> logs;
  std::uintptr_t lastHandle = 0;
};

HandleTable& Table()
{
  static HandleTable table;
  return table;
}

} // namespace

HLOG RegisterLog(std::unique_ptr<TestLog> log)
{
  std::lock_guard lock(Table().mutex);
  // Handles are numbers never used twice, so a destroyed handle cannot reach a newer log.
  HLOG handle = reinterpret_cast<HLOG>(++Table().lastHandle);
  Table().logs.emplace(handle, std::move(log));
  return handle;
}

std::shared_ptr<TestLog> FindLog(HLOG handle)
{
  if (!handle) {
    return nullptr;
  }
  std::lock_guard lock(Table().mutex);
  auto it = Table().logs.find(handle);
  return it == Table().logs.end() ? nullptr : it->second;
}

std::shared_ptr<TestLog> UnregisterLog(HLOG handle)
{
  std::lock_guard lock(Table().mutex);
  auto it = Table().logs.find(handle);
  if (it == Table().logs.end()) {
    return nullptr;
  }
  std::shared_ptr<TestLog> log = std::move(it->second);
  Table().logs.erase(it);
  return log;
}

} // namespace ntlog
