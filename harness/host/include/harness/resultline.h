// The one-line form of a conditions or results text for the results window.
#pragma once

#include "harness/stringtable.h"

#include <string>

namespace harness {

inline constexpr std::size_t kLongestResultLine = 500;

// Cut to 500 characters, every CR and LF made a blank, then put through the result-line text.
std::string FormatResultLine(const StringTable& strings, const std::string& text);

} // namespace harness
