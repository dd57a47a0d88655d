// Viewer command line.
#include "harness/viewer.h"

namespace harness {

std::string ViewerCommandLine(const std::string& viewer, const std::string& file)
{
  return "\"" + viewer + "\" \"" + file + "\"";
}

} // namespace harness
