// Fuzz target: the .reg file parser.
#include "platform/regfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<platform::RegFileChange> changes;
  platform::RegFileError error;
  if (platform::ParseRegFile(text, changes, error)) {
    int line = 0;
    for (const auto& change : changes) {
      // One change per line, in file order; only set values carry data.
      if (change.line <= line) {
        std::abort();
      }
      if (change.kind != platform::RegFileChange::Kind::SetValue && !change.data.empty()) {
        std::abort();
      }
      line = change.line;
    }
  } else if (error.message.empty()) {
    std::abort(); // every failure says why
  }
  std::string path;
  platform::HKEY root = nullptr;
  platform::ParseRegKeyName(text.substr(0, 300), root, path);
  return 0;
}
