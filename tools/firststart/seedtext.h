// The installation's registry seed is a .reg text with placeholders for the folders that differ
// per installation and per user; this fills them in.
#pragma once

#include <string>
#include <string_view>

namespace firststart {

struct SeedFolders
{
  std::string installation; // %INSTALLATION%
  std::string userData;     // %USERDATA%
  std::string userConfig;   // %USERCONFIG%
};

// Replaces every placeholder with its folder, escaped for a quoted .reg string (\\ and \").
// False, with the reason in `error`, for an unknown placeholder or a folder that a .reg line
// cannot hold (a line break in it).
bool FillSeed(std::string_view seed, const SeedFolders& folders, std::string& text,
              std::string& error);

} // namespace firststart
