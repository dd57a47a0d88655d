// The fixed table of assertions and heading lines that the results block draws from.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorrel {

constexpr int32_t SEVERITY_MUST = 0xDEAD;
constexpr int32_t SEVERITY_SHOULD = 0xBEEF;
constexpr int32_t kTextLineItem = -1;

struct AssertionRow
{
  int32_t group;
  int32_t item; // kTextLineItem for a heading line
  int32_t severity;
  const char* text;
};

constexpr size_t kAssertionTableRows = 31;
extern const AssertionRow AssertionTable[kAssertionTableRows];

// The row of assertion group.item, or -1.
int FindAssertionRow(int32_t group, int32_t item);

} // namespace sorrel
