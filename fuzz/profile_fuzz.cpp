// Fuzz target: the profile-string reader.
#include "platform/profile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::ProfileText profile(text);
  for (const auto& section : profile.SectionNames()) {
    for (const auto& key : profile.KeyNames(section)) {
      // Every listed key of a section is found there.
      if (!profile.Find(section, key)) {
        std::abort();
      }
    }
  }
  // Names taken from the input itself.
  auto cut = text.find('\n');
  std::string_view first = text.substr(0, cut);
  profile.Find(first, first);
  profile.KeyNames(first);
  return 0;
}
