// Helper process for the registry tests: writes to a registry file in a loop.
//   registry_writer stream FILE       writes value v<i> and "count" = i + 1 in one transaction
//                                     per i, from the stored count on, and reports each i as
//                                     4 bytes on standard output once committed; runs until
//                                     killed
//   registry_writer count FILE TAG N  N times: sets value <TAG><i> and adds 1 to "total" in one
//                                     transaction
#include "platform/registry.h"

#include "registry_stream_value.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace platform;

namespace {

LONG SetDword(HKEY key, const std::string& name, DWORD value)
{
  return RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
}

DWORD GetDword(HKEY key, const char* name)
{
  DWORD value = 0;
  DWORD size = sizeof value;
  RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc < 3) {
    return 2;
  }
  std::string mode = argv[1];
  HKEY root = nullptr;
  if (RegConnectRegistryFile(argv[2], HKEY_LOCAL_MACHINE, &root) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot open %s: %s\n", argv[2], RegLastErrorDetail().c_str());
    return 3;
  }
  HKEY key = nullptr;
  if (RegCreateKeyEx(root, "Stream", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return 3;
  }
  if (mode == "stream") {
    for (DWORD i = GetDword(key, "count");; ++i) {
      std::string data = StreamValue(i);
      std::string name = "v" + std::to_string(i);
      LONG result = RegRunTransaction(key, [&] {
        LONG set = RegSetValueEx(key, name.c_str(), 0, REG_BINARY,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
        return set == ERROR_SUCCESS ? SetDword(key, "count", i + 1) : set;
      });
      if (result != ERROR_SUCCESS || write(1, &i, sizeof i) != sizeof i) {
        return 4;
      }
    }
  }
  if (mode == "count" && argc == 5) {
    int n = std::atoi(argv[4]);
    for (int i = 0; i < n; ++i) {
      std::string name = std::string(argv[3]) + std::to_string(i);
      LONG result = RegRunTransaction(key, [&] {
        LONG set = SetDword(key, name, static_cast<DWORD>(i));
        return set == ERROR_SUCCESS ? SetDword(key, "total", GetDword(key, "total") + 1) : set;
      });
      if (result != ERROR_SUCCESS) {
        std::fprintf(stderr, "write failed: %d %s\n", result, RegLastErrorDetail().c_str());
        return 4;
      }
    }
    return 0;
  }
  return 2;
}
