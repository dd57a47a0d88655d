// Reading log options from a command line: blanks separate words, double quotes group them.
#include "command_line.h"

#include "ntlog/ntlog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

namespace ntlog {

namespace {

std::vector<std::string> SplitWords(const std::string& line)
{
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) {
        words.push_back(word);
        word.clear();
        inWord = false;
      }
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) {
    words.push_back(word);
  }
  return words;
}

// The value of "/name:value" or "-name:value", name compared ignoring case.
std::optional<std::string> OptionValue(const std::string& word, const char* name)
{
  const std::size_t length = std::strlen(name);
  if (word.size() < length + 2 || (word[0] != '/' && word[0] != '-') ||
      strncasecmp(word.c_str() + 1, name, length) != 0 || word[length + 1] != ':') {
    return std::nullopt;
  }
  return word.substr(length + 2);
}

} // namespace

std::optional<CommandLineOptions> ParseCommandLine(const std::string& commandLine)
{
  CommandLineOptions options;
  options.flags = TL_LEVEL_MASK;
  for (const std::string& word : SplitWords(commandLine)) {
    if (auto file = OptionValue(word, "NTLog")) {
      options.fileName = *file;
    } else if (auto flags = OptionValue(word, "NTLogFlags")) {
      char* end = nullptr;
      errno = 0;
      const unsigned long long value = std::strtoull(flags->c_str(), &end, 0);
      if (flags->empty() || *end != '\0' || errno != 0 || value > 0xFFFFFFFFull) {
        return std::nullopt;
      }
      options.flags = static_cast<std::uint32_t>(value);
    }
  }
  if (options.fileName.empty()) {
    return std::nullopt;
  }
  return options;
}

} // namespace ntlog
