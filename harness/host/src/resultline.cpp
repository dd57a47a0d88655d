// Result line formatting.
#include "harness/resultline.h"

#include "harness/logwriter.h"
#include "harness/stringids.h"

namespace harness {

std::string FormatResultLine(const StringTable& strings, const std::string& text)
{
  std::string line = CutLine(text, kLongestResultLine);
  for (char& c : line)
    if (c == '\r' || c == '\n')
      c = ' ';
  return strings.Format(ids::kResultLine, {line});
}

} // namespace harness
