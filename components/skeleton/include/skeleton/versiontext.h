// The version text the model sheet and the test-case dialog show for a program or module file.
#pragma once

#include <string>

namespace components {

inline constexpr const char* kUnknownVersion = "Unknown";

// "major.minor.patch.build" from the file's embedded version; "Unknown" when it has none or
// cannot be read.
std::string FileVersionText(const std::string& path);

} // namespace components
