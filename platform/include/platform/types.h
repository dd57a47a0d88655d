#pragma once
// The fixed-width integer names the platform interfaces use, declared once so every header
// agrees on their sizes.

#include <cstdint>

namespace platform {

using BYTE = std::uint8_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

} // namespace platform
