// The bytes the stream writer stores as value v<i>, so the tests can check what was stored.
#pragma once

#include <cstdint>
#include <string>

inline std::string StreamValue(std::uint32_t i)
{
  std::string data(512 + (i % 7) * 100, '\0');
  for (std::size_t j = 0; j < data.size(); ++j) {
    data[j] = static_cast<char>((i * 31 + j) & 0xFF);
  }
  return data;
}
