// A broken NTLog for tests: only some of the 19 entry points, so tallow must count it absent.
#include <cstdint>

extern "C" {
__attribute__((visibility("default"))) void* tlCreateLog_A(const char*, std::uint32_t)
{
  return nullptr;
}
__attribute__((visibility("default"))) int tlDestroyLog(void*)
{
  return 0;
}
}
