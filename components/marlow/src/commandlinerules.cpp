// Command line and path rules.
#include "marlow/commandlinerules.h"

#include "platform/process.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace marlow {

namespace {

bool SameLetter(char a, char b)
{
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

} // namespace

std::size_t FindIgnoringCase(std::string_view text, std::string_view what, std::size_t from)
{
  if (what.empty() || what.size() > text.size())
    return std::string_view::npos;
  for (std::size_t pos = from; pos + what.size() <= text.size(); ++pos) {
    std::size_t matched = 0;
    while (matched < what.size() && SameLetter(text[pos + matched], what[matched]))
      ++matched;
    if (matched == what.size())
      return pos;
  }
  return std::string_view::npos;
}

bool IsInsideQuotes(std::string_view commandLine, std::size_t pos)
{
  bool quoted = false;
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < pos && i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '"' && backslashes % 2 == 0)
      quoted = !quoted;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return quoted;
}

std::string ReplaceInCommandLine(std::string_view commandLine, std::string_view what,
                                 std::string_view with)
{
  const std::string quoted = platform::QuoteCommandLineWord(with);
  std::string out;
  std::size_t done = 0;
  for (std::size_t pos = FindIgnoringCase(commandLine, what); pos != std::string_view::npos;
       pos = FindIgnoringCase(commandLine, what, done)) {
    out.append(commandLine.substr(done, pos - done));
    out.append(IsInsideQuotes(commandLine, pos) || with.empty() ? std::string(with) : quoted);
    done = pos + what.size();
  }
  out.append(commandLine.substr(done));
  return out;
}

std::string ResolveInFolder(const std::string& path, const std::string& baseFolder)
{
  if (path.empty() || path[0] != '.' || baseFolder.empty())
    return path;
  const bool dotFolder = path == "." || path.compare(0, 2, "./") == 0;
  const std::string joined = baseFolder + "/" + (dotFolder ? path.substr(1) : path);
  std::string resolved;
  for (char c : joined) {
    if (c != '/' || resolved.empty() || resolved.back() != '/')
      resolved += c;
  }
  return resolved;
}

std::uint32_t ParseMaxExecutionTime(const std::string& text)
{
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT32_MAX)
    value = INT32_MAX;
  if (value < INT32_MIN)
    value = INT32_MIN;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

} // namespace marlow
