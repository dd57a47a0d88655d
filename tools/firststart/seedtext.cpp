// Placeholders are %NAME% with NAME in capitals; any other '%' is the seed's own text.
#include "seedtext.h"

#include <algorithm>
#include <cctype>

namespace firststart {

namespace {

std::string EscapeRegString(std::string_view text)
{
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"')
      escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool IsPlaceholderName(std::string_view name)
{
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isupper(c); });
}

} // namespace

bool FillSeed(std::string_view seed, const SeedFolders& folders, std::string& text,
              std::string& error)
{
  const std::pair<std::string_view, const std::string*> known[] = {
      {"INSTALLATION", &folders.installation},
      {"USERDATA", &folders.userData},
      {"USERCONFIG", &folders.userConfig},
  };
  std::string out;
  std::size_t at = 0;
  while (at < seed.size()) {
    const std::size_t open = seed.find('%', at);
    const std::size_t close = open == std::string_view::npos ? open : seed.find('%', open + 1);
    if (close == std::string_view::npos) {
      out += seed.substr(at);
      break;
    }
    const std::string_view name = seed.substr(open + 1, close - open - 1);
    if (!IsPlaceholderName(name)) {
      out += seed.substr(at, close - at); // the second '%' may open a placeholder
      at = close;
      continue;
    }
    const auto* entry = std::find_if(std::begin(known), std::end(known),
                                     [&](const auto& k) { return k.first == name; });
    if (entry == std::end(known)) {
      error = "unknown placeholder %" + std::string(name) + "%";
      return false;
    }
    const std::string& folder = *entry->second;
    if (folder.find_first_of("\r\n") != std::string::npos) {
      error = "the folder for %" + std::string(name) + "% holds a line break: " + folder;
      return false;
    }
    out += seed.substr(at, open - at);
    out += EscapeRegString(folder);
    at = close + 1;
  }
  text = std::move(out);
  return true;
}

} // namespace firststart
