// XDG desktop entry files (.desktop), as far as the Startup folder needs them: escaping of
// string values, the quoting of the Exec key, and reading the keys of the [Desktop Entry]
// group. The format is described in platform/doc/desktop_entry.md.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr const char* kDesktopEntryGroup = "[Desktop Entry]";

// A value of type string as the file holds it: backslash, line feed, tab and carriage return
// become \\, \n, \t and \r; a leading blank becomes \s.
std::string EscapeDesktopValue(std::string_view text);
// The inverse; an unknown escape keeps its backslash.
std::string UnescapeDesktopValue(std::string_view value);

// The Exec value for a program and its arguments: a word that is empty or holds a reserved
// character (blank, tab, line feed, " ' \ > < ~ | & ; $ * ? # ( ) `) is put in double quotes,
// inside which " ` $ \ take a backslash; every % is doubled; then the value is escaped.
std::string DesktopExecValue(const std::vector<std::string>& words);

// The words of an Exec value as the file holds it (unescaped first, then unquoted, "%%" gives
// "%"). Field codes standing as words are expanded: %c to `name`, %k to `file`, the others
// (%f %F %u %U %i %d %D %n %N %v %m) to nothing. False for a quote left open.
bool SplitDesktopExecValue(std::string_view value, const std::string& name, const std::string& file,
                           std::vector<std::string>& words);

// The keys of the [Desktop Entry] group with their values as written (not unescaped); comment
// and blank lines are skipped, the first of a repeated key wins. False when the group is
// missing.
bool ReadDesktopEntryGroup(std::string_view text, std::map<std::string, std::string>& keys);

} // namespace platform
