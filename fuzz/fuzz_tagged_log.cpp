// Fuzzes tallow's log readers: tagged-log detection, the tagged grammar and the marker search.
#include "plain_log.h"
#include "tagged_log_parser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0) {
    return 0;
  }
  const char* bytes = reinterpret_cast<const char*>(data);
  tallow::FindMarker(bytes, size);

  std::FILE* stream = fmemopen(const_cast<char*>(bytes), size, "rb");
  if (!stream) {
    return 0;
  }
  tallow::IsTaggedLog(stream);
  std::rewind(stream);
  long lines = 0;
  const tallow::ParseOutcome outcome =
      tallow::ParseTaggedLog(stream, [&](tallow::TagIndex tag, const std::string& text) {
        ++lines;
        if (tag < 0 || tag >= static_cast<int>(tallow::kTagTable.size())) {
          std::abort();
        }
        for (char c : text) {
          if (static_cast<unsigned char>(c) >= 0x80 || c == '\0' || c == '\n') {
            std::abort(); // the text that reaches NTLog must be clean
          }
        }
      });
  std::fclose(stream);
  if (lines + outcome.unknownTags != outcome.taggedLines ||
      outcome.passes + outcome.failures + outcome.warnings > lines) {
    std::abort();
  }
  return 0;
}
