// The command line that starts the file viewer on a log or results file.
#pragma once

#include <string>

namespace harness {

// "\"viewer\" \"file\"": both quoted, so paths with blanks work.
std::string ViewerCommandLine(const std::string& viewer, const std::string& file);

} // namespace harness
