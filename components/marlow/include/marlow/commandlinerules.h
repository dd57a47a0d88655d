// Text rules for a definition's command line and paths: case-blind search and replace, the
// definition folder for paths that start with ".", quoting of paths that hold blanks, and the
// wait limit. Paths and commands keep their letter case: only comparisons ignore it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace marlow {

// Position of the first occurrence of `what` in `text` at or after `from`, ignoring ASCII
// letter case; npos when there is none or `what` is empty.
std::size_t FindIgnoringCase(std::string_view text, std::string_view what, std::size_t from = 0);

// True when position `pos` of a command line lies inside a quoted part (the quoting rule of
// platform/process.h).
bool IsInsideQuotes(std::string_view commandLine, std::size_t pos);

// Every occurrence of `what` (ignoring case) replaced by `with`. Where an occurrence stands
// outside a quoted part, `with` is quoted when it holds a blank, so it stays one word.
std::string ReplaceInCommandLine(std::string_view commandLine, std::string_view what,
                                 std::string_view with);

// A path that starts with "." is taken relative to baseFolder: "./x" and "." lose their dot,
// others (as "../x" or ".hidden") are kept whole below the folder; runs of '/' become one.
// Other paths, and every path when baseFolder is empty, stay as they are.
std::string ResolveInFolder(const std::string& path, const std::string& baseFolder);

// MaxExecutionTime as the wait takes it: leading blanks and a sign allowed, digits up to the
// first other character, no digits give 0; the number is limited to a signed 32-bit value and
// read as an unsigned one, so "0" does not wait and "-1" waits without limit.
std::uint32_t ParseMaxExecutionTime(const std::string& text);

} // namespace marlow
