// Which bytes of which frame the simulated capture leaves unwritten.
#pragma once

#include "sorrel/pattern_renderer.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace gst_sorrel_sim {

struct PlannedDrop
{
  uint64_t frame;
  size_t offset;
  size_t length;
};

// Parses "frame:offset:length" entries separated by ',' or ';' (blanks allowed). On a bad
// entry returns false and says which in *error.
bool ParseDropList(const std::string& text, std::vector<PlannedDrop>* drops, std::string* error);

class DropPlan
{
public:
  DropPlan(std::vector<PlannedDrop> listed, double rate, size_t randomLength, uint32_t seed);

  // The byte ranges of frame `frame` (of frameSize bytes) to leave unwritten.
  std::vector<sorrel::ByteRange> RangesFor(uint64_t frame, size_t frameSize);

private:
  std::vector<PlannedDrop> m_listed;
  double m_rate;
  size_t m_randomLength;
  std::mt19937 m_random;
};

} // namespace gst_sorrel_sim
