// The record a "HALVEX NTLog Message" points to, as test cases send it and the harness reads
// it. It belongs to the sender and is valid for the duration of the send only.
#pragma once

#include <cstdint>

struct NtLogEntry
{
  std::uint32_t flags; // 0x10 start a variation, 0x20 end it, 0x80 pass, 0x100 severity-1
                       // failure, 0x200 warning; none of the last three: information
  const char* sourceFile;
  std::int32_t line;
  const char* text;
};
