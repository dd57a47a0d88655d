// A settings store held in memory that records the order of writes and can fail chosen values.
#pragma once

#include "harness/settings.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace harness::test {

class MapStore : public SettingsStore
{
public:
  long Open(const std::string& keyPath) override
  {
    if (keys.count(keyPath) == 0)
      return 2;
    current = keyPath;
    return 0;
  }
  long Create(const std::string& keyPath) override
  {
    keys.insert(keyPath);
    current = keyPath;
    return 0;
  }
  long ReadString(const std::string& name, std::string& out) override
  {
    auto it = strings.find(current + "|" + name);
    if (it == strings.end())
      return 2;
    out = it->second;
    return 0;
  }
  long ReadDword(const std::string& name, std::uint32_t& out) override
  {
    auto it = dwords.find(current + "|" + name);
    if (it == dwords.end())
      return 2;
    out = it->second;
    return 0;
  }
  long WriteString(const std::string& name, const std::string& value) override
  {
    writes.push_back(name);
    if (failing.count(name))
      return 5;
    strings[current + "|" + name] = value;
    return 0;
  }
  long WriteDword(const std::string& name, std::uint32_t value) override
  {
    writes.push_back(name);
    if (failing.count(name))
      return 5;
    dwords[current + "|" + name] = value;
    return 0;
  }
  void Close() override { current.clear(); }

  std::set<std::string> keys;
  std::map<std::string, std::string> strings;
  std::map<std::string, std::uint32_t> dwords;
  std::set<std::string> failing;
  std::vector<std::string> writes;
  std::string current;
};

} // namespace harness::test
