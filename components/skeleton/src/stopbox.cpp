// The stop box: the host program's routine when it has one, else a line on standard error.
#include "skeleton/stopbox.h"

#include <cstdio>
#include <dlfcn.h>

namespace components {

namespace {

StopBoxHandler s_handler = nullptr;

using HostBox = void (*)(const char* text);

void Show(const char* hostSymbol, const char* kind, const std::string& text)
{
  if (s_handler != nullptr) {
    s_handler(text);
    return;
  }
  if (auto host = reinterpret_cast<HostBox>(dlsym(RTLD_DEFAULT, hostSymbol))) {
    host(text.c_str());
    return;
  }
  std::fprintf(stderr, "halvex: %s: %s\n", kind, text.c_str());
}

} // namespace

void ShowStopBox(const std::string& text)
{
  Show(kShowStopBoxSymbol, "error", text);
}

void ShowMessageBox(const std::string& text)
{
  Show(kShowMessageBoxSymbol, "note", text);
}

void SetStopBoxHandler(StopBoxHandler handler)
{
  s_handler = handler;
}

} // namespace components
