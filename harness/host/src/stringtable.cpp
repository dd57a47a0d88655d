// String table parsing and insert formatting.
#include "harness/stringtable.h"

#include <charconv>

namespace harness {

namespace {

std::string Unescape(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == 'n' || next == 't' || next == '\\') {
        out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

} // namespace

bool StringTable::Parse(const std::string& source, std::string& error)
{
  std::size_t start = 0;
  int lineNumber = 0;
  while (start <= source.size()) {
    std::size_t end = source.find('\n', start);
    if (end == std::string::npos)
      end = source.size();
    std::string_view line(source.data() + start, end - start);
    ++lineNumber;
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line.front() == '#')
      continue;
    std::size_t tab = line.find('\t');
    int id = 0;
    auto [ptr, ec] = std::from_chars(
        line.data(), line.data() + (tab == std::string::npos ? line.size() : tab), id);
    if (tab == std::string::npos || ec != std::errc() || ptr != line.data() + tab || id < 0) {
      error = "line " + std::to_string(lineNumber) + ": expected a number, a tab and a text";
      return false;
    }
    m_texts[id] = Unescape(line.substr(tab + 1));
  }
  return true;
}

std::string StringTable::Get(int id) const
{
  auto it = m_texts.find(id);
  return it == m_texts.end() ? "#" + std::to_string(id) : it->second;
}

std::string StringTable::Format(int id, const std::vector<std::string>& args) const
{
  return FormatInserts(Get(id), args);
}

std::string FormatInserts(const std::string& pattern, const std::vector<std::string>& args)
{
  std::string out;
  out.reserve(pattern.size() + 32);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      char next = pattern[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        std::size_t index = static_cast<std::size_t>(next - '1');
        if (index < args.size()) {
          out += args[index];
          ++i;
          continue;
        }
      }
    }
    out += pattern[i];
  }
  return out;
}

} // namespace harness
