// The record a "HALVEX NTLog Message" points to. It belongs to the sender; the receiver reads
// it during the call only.
#pragma once

#include <cstdint>

namespace harness {

inline constexpr const char* kNtLogMessageName = "HALVEX NTLog Message";

struct NtLogEntry
{
  std::uint32_t flags;
  const char* sourceFile;
  std::int32_t line;
  const char* text;
};

} // namespace harness
