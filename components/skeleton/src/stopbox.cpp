// The stop box: the host program's routine when it has one, else a line on standard error.
#include "skeleton/stopbox.h"

#include <cstdio>
#include <dlfcn.h>

namespace components {

namespace {

StopBoxHandler s_handler = nullptr;

using HostStopBox = void (*)(const char* text);

} // namespace

void ShowStopBox(const std::string& text)
{
  if (s_handler != nullptr) {
    s_handler(text);
    return;
  }
  if (auto host = reinterpret_cast<HostStopBox>(dlsym(RTLD_DEFAULT, kShowStopBoxSymbol))) {
    host(text.c_str());
    return;
  }
  std::fprintf(stderr, "halvex: error: %s\n", text.c_str());
}

void SetStopBoxHandler(StopBoxHandler handler)
{
  s_handler = handler;
}

} // namespace components
