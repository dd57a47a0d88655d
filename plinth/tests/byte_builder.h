// Writes expected archive bytes by hand, independently of the archive under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ByteBuilder
{
  std::vector<uint8_t> bytes;

  ByteBuilder& u8(uint8_t v)
  {
    bytes.push_back(v);
    return *this;
  }
  ByteBuilder& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  ByteBuilder& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  ByteBuilder& chars(const std::string& s)
  {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  // Short strings only (below 255 characters): a length byte and the characters.
  ByteBuilder& str(const std::string& s) { return u8(static_cast<uint8_t>(s.size())).chars(s); }
  ByteBuilder& newClass(const std::string& name, uint16_t schema = 1)
  {
    return u16(0xFFFF).u16(schema).u16(static_cast<uint16_t>(name.size())).chars(name);
  }
  // The base fields of a test case: owner class, label, model, iterations, status.
  ByteBuilder& base(const std::string& owner, const std::string& label, const std::string& model,
                    int32_t iterations, uint32_t status)
  {
    return str(owner).str(label).str(model).u32(static_cast<uint32_t>(iterations)).u32(status);
  }
};
