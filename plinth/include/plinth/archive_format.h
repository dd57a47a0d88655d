// The object-archive byte format: the constants every reader and writer of archives shares.
// doc/archive_format.md describes the layout in prose, with the suite file and the test-case
// base fields.
#pragma once

#include <cstdint>

namespace plinth::archive_format {

// All multi-byte values are little-endian.

// Count: 16 bits when below kCountEscape, else kCountEscape and 32 bits.
inline constexpr uint16_t kCountEscape = 0xFFFF;

// String: 8-bit length below kString8Escape; else kString8Escape and a 16-bit length below
// kString16Limit; else kString8Escape, kString16Escape and a 32-bit length. Then the
// characters, 8-bit, no terminator. The 16-bit value 0xFFFE never occurs as a length.
inline constexpr uint8_t kString8Escape = 0xFF;
inline constexpr uint16_t kString16Limit = 0xFFFE;
inline constexpr uint16_t kString16Escape = 0xFFFF;

// Object record tags (16 bits).
inline constexpr uint16_t kNullTag = 0x0000;      // a null object
inline constexpr uint16_t kNewClassTag = 0xFFFF;  // then schema (16), name length (16), name
inline constexpr uint16_t kClassTag = 0x8000;     // ORed with a class index below kBigObjectTag
inline constexpr uint16_t kBigObjectTag = 0x7FFF; // then 32 bits: an index of kBigObjectTag or more
inline constexpr uint32_t kBigClassTag = 0x80000000; // in the 32 bits: the index is a class's

// Classes and objects share one index space, counting from 1 in the order they are met
// (a new object's class before the object). Index 0 is the null object.
inline constexpr uint32_t kFirstIndex = 1;
inline constexpr uint32_t kMaxIndex = 0x7FFFFFFE;

// Schema of every class of this system.
inline constexpr uint16_t kSchema = 1;

} // namespace plinth::archive_format
