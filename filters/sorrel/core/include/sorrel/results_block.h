// The results block: layout, constants and little-endian accessors. Described in
// results_block.md beside this header. Readers check `version` before anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace sorrel::block {

constexpr size_t kBlockSize = 16384;
constexpr int32_t kVersion = 3;

constexpr size_t kOffsetVersion = 0;      // int32
constexpr size_t kOffsetFrameTimeMs = 4;  // int32
constexpr size_t kOffsetStandardName = 8; // char[16], NUL-terminated
constexpr size_t kStandardNameSize = 16;
constexpr size_t kOffsetWidth = 24;  // int32
constexpr size_t kOffsetHeight = 28; // int32, signed
constexpr size_t kOffsetFourcc = 32; // char[4], then a 0 byte at 36
constexpr size_t kOffsetFlags = 37;  // uint8
constexpr size_t kOffsetAssertions = 40;
constexpr size_t kAssertionCount = 32;
constexpr size_t kAssertionRecordSize = 92; // group, item, status (int32), text char[80]
constexpr size_t kOffsetDiagnostics = 2984;
constexpr size_t kDiagnosticCount = 32;
constexpr size_t kDiagnosticRecordSize = 88; // group, item (int32), text char[80]
constexpr size_t kOffsetUnused = 5800;
constexpr size_t kTextSize = 80;
constexpr size_t kRecordOffsetGroup = 0;
constexpr size_t kRecordOffsetItem = 4;
constexpr size_t kAssertionOffsetStatus = 8;
constexpr size_t kAssertionOffsetText = 12;
constexpr size_t kDiagnosticOffsetText = 8;

static_assert(kOffsetAssertions + kAssertionCount * kAssertionRecordSize == kOffsetDiagnostics);
static_assert(kOffsetDiagnostics + kDiagnosticCount * kDiagnosticRecordSize == kOffsetUnused);

constexpr uint8_t FLAG_CONFIG_OK = 0x01;
constexpr uint8_t FLAG_STREAMING = 0x02;
constexpr uint8_t kPhaseMask = 0x30;
constexpr uint8_t PHASE_CONFIGURATION = 0x10;
constexpr uint8_t PHASE_STARTUP = 0x20;
constexpr uint8_t PHASE_FULL = 0x30;

constexpr int32_t STATUS_TEXT = 0;
constexpr int32_t STATUS_NOT_TESTED = 1;
constexpr int32_t STATUS_WARNING = 2;
constexpr int32_t STATUS_FAILED = 3;
constexpr int32_t STATUS_PASSED = 4;

inline int32_t ReadInt32(const uint8_t* block, size_t offset)
{
  const uint8_t* p = block + offset;
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                 uint32_t(p[3]) << 24);
}

inline void WriteInt32(uint8_t* block, size_t offset, int32_t value)
{
  const uint32_t v = uint32_t(value);
  uint8_t* p = block + offset;
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// Text of a fixed-size field up to its first NUL, never past the field.
inline std::string ReadText(const uint8_t* block, size_t offset, size_t size)
{
  const char* p = reinterpret_cast<const char*>(block + offset);
  return std::string(p, strnlen(p, size));
}

// Copies text, truncated so that a NUL always ends the field.
inline void WriteText(uint8_t* block, size_t offset, size_t size, const std::string& text)
{
  const size_t n = text.size() < size ? text.size() : size - 1;
  std::memcpy(block + offset, text.data(), n);
  std::memset(block + offset + n, 0, size - n);
}

inline size_t AssertionOffset(size_t index)
{
  return kOffsetAssertions + index * kAssertionRecordSize;
}

inline size_t DiagnosticOffset(size_t index)
{
  return kOffsetDiagnostics + index * kDiagnosticRecordSize;
}

} // namespace sorrel::block
