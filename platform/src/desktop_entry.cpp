// Desktop entry escaping, Exec quoting and group reading.
#include "platform/desktop_entry.h"

#include <cstring>

namespace platform {

namespace {

constexpr const char* kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr const char* kEscapedInQuotes = "\"`$\\";

// A word that consists of one field code, e.g. "%f".
bool IsFieldCode(const std::string& word)
{
  return word.size() == 2 && word[0] == '%' && std::strchr("fFuUidDnNvmck", word[1]) != nullptr;
}

std::string ExpandFieldCode(char code, const std::string& name, const std::string& file)
{
  if (code == 'c') {
    return name;
  }
  return code == 'k' ? file : std::string();
}

} // namespace

std::string EscapeDesktopValue(std::string_view text)
{
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
    case '\\':
      value += "\\\\";
      break;
    case '\n':
      value += "\\n";
      break;
    case '\t':
      value += "\\t";
      break;
    case '\r':
      value += "\\r";
      break;
    case ' ':
      value += i == 0 ? "\\s" : " ";
      break;
    default:
      value += text[i];
    }
  }
  return value;
}

std::string UnescapeDesktopValue(std::string_view value)
{
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    switch (value[++i]) {
    case '\\':
      text += '\\';
      break;
    case 'n':
      text += '\n';
      break;
    case 't':
      text += '\t';
      break;
    case 'r':
      text += '\r';
      break;
    case 's':
      text += ' ';
      break;
    default:
      text += '\\';
      text += value[i];
    }
  }
  return text;
}

std::string DesktopExecValue(const std::vector<std::string>& words)
{
  std::string exec;
  for (const auto& word : words) {
    if (!exec.empty()) {
      exec += ' ';
    }
    const bool quote = word.empty() || word.find_first_of(kReserved) != std::string::npos;
    if (quote) {
      exec += '"';
    }
    for (char c : word) {
      if (quote && std::strchr(kEscapedInQuotes, c) != nullptr) {
        exec += '\\';
      }
      exec += c;
      if (c == '%') {
        exec += '%';
      }
    }
    if (quote) {
      exec += '"';
    }
  }
  return EscapeDesktopValue(exec);
}

bool SplitDesktopExecValue(std::string_view value, const std::string& name, const std::string& file,
                           std::vector<std::string>& words)
{
  const std::string exec = UnescapeDesktopValue(value);
  words.clear();
  std::string word;
  bool inWord = false;
  bool quoted = false;
  bool fieldCodePossible = true; // a quoted word is never a field code
  const auto finish = [&] {
    if (inWord) {
      if (fieldCodePossible && IsFieldCode(word)) {
        std::string expanded = ExpandFieldCode(word[1], name, file);
        if (!expanded.empty()) {
          words.push_back(std::move(expanded));
        }
      } else {
        words.push_back(word);
      }
    }
    word.clear();
    inWord = false;
    fieldCodePossible = true;
  };
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size() &&
                 std::strchr(kEscapedInQuotes, exec[i + 1]) != nullptr) {
        word += exec[++i];
      } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
        word += exec[++i];
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = true;
      inWord = true;
      fieldCodePossible = false;
    } else if (c == ' ' || c == '\t' || c == '\n') {
      finish();
    } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      word += exec[++i];
      inWord = true;
      fieldCodePossible = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) {
    words.clear();
    return false;
  }
  finish();
  return true;
}

bool ReadDesktopEntryGroup(std::string_view text, std::map<std::string, std::string>& keys)
{
  keys.clear();
  bool found = false;
  bool inGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty() || line[0] == '#') {
      continue;
    }
    if (line[0] == '[') {
      inGroup = line == kDesktopEntryGroup && !found;
      found = found || inGroup;
      continue;
    }
    const auto equals = line.find('=');
    if (!inGroup || equals == std::string_view::npos) {
      continue;
    }
    std::string_view key = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);
    while (!key.empty() && key.back() == ' ') {
      key.remove_suffix(1);
    }
    while (!value.empty() && value.front() == ' ') {
      value.remove_prefix(1);
    }
    keys.emplace(std::string(key), std::string(value));
  }
  return found;
}

} // namespace platform
