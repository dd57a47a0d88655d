// The string table of a resource library: texts by number, with %1..%9 inserts.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace harness {

class StringTable
{
public:
  // Reads "number<TAB>text" lines; "#" starts a comment line; "\n", "\t" and "\\" in a text
  // stand for a line feed, a tab and a backslash. Returns false and names the first bad line
  // in `error`; the table then keeps the lines read before it.
  bool Parse(const std::string& source, std::string& error);

  bool Has(int id) const { return m_texts.count(id) != 0; }
  std::size_t Size() const { return m_texts.size(); }

  // The text, or "#<id>" when the table has none, so a missing text is visible, never empty.
  std::string Get(int id) const;

  // The text with %1..%9 replaced by the arguments ("%%" is one "%"); an insert without an
  // argument stays as written.
  std::string Format(int id, const std::vector<std::string>& args) const;

private:
  std::map<int, std::string> m_texts;
};

std::string FormatInserts(const std::string& pattern, const std::vector<std::string>& args);

} // namespace harness
