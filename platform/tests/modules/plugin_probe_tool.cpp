// Loads a plug-in by its Windows-style name through the plug-in folder next to the program
// and prints where it came from; proves the relative layout of bin/ and lib/halvex/plugins/.
#include "platform/modules.h"

#include <cstdio>

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s MODULE.dll SYMBOL\n", argv[0]);
    return 2;
  }
  platform::HMODULE module = platform::LoadLibrary(argv[1]);
  if (!module) {
    std::fprintf(stderr, "%s\n", platform::LastModuleError().c_str());
    return 1;
  }
  auto symbol = reinterpret_cast<int (*)()>(platform::GetProcAddress(module, argv[2]));
  std::printf("%s\n%s\n%d\n", platform::ModuleFileName(module).c_str(),
              platform::PluginFolder().c_str(), symbol ? symbol() : -1);
  platform::FreeLibrary(module);
  return symbol ? 0 : 1;
}
