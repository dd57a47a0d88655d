// Version numbers embedded in our programs and plug-ins.
//
// The build (cmake/version_section.c.in) puts an ELF section ".halvex_version" into each
// binary: 8 bytes "HLVXVER\0", then four little-endian 16-bit numbers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using FileVersion = std::array<std::uint16_t, 4>;

// The version embedded in a file; nullopt when the file has none or cannot be read.
std::optional<FileVersion> ReadFileVersion(const std::string& path);

// "1.2.3.4", or "none" for a file without a version.
std::string FormatFileVersion(const std::optional<FileVersion>& version);

} // namespace platform
