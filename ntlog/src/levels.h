// Kinds of log entries: the kind a level word stands for, its name in the file, and which is worse.
#pragma once

#include <cstdint>
#include <string_view>

namespace ntlog {

// The kind of a level word: its worst kind bit; TL_INFO when it has none.
std::uint32_t KindOf(std::uint32_t level);

// Five-character name written in the file ("PASS ", "FAIL1", ...).
std::string_view KindName(std::uint32_t kind);

// Rank for "worst": abort 6 ... pass 1, information 0.
int Severity(std::uint32_t kind);

bool IsFailure(std::uint32_t kind);

} // namespace ntlog
