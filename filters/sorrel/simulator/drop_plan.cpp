// Planned and random drops of the simulated capture.
#include "drop_plan.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace gst_sorrel_sim {

namespace {

bool ParseNumber(const std::string& text, uint64_t* value)
{
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  errno = 0;
  *value = std::strtoull(text.c_str(), nullptr, 10);
  return errno == 0;
}

std::string Trim(const std::string& text)
{
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool ParseDropList(const std::string& text, std::vector<PlannedDrop>* drops, std::string* error)
{
  drops->clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find_first_of(",;", start), text.size());
    const std::string entry = Trim(text.substr(start, end - start));
    start = end + 1;
    if (entry.empty()) {
      continue;
    }
    const size_t first = entry.find(':');
    const size_t second = first == std::string::npos ? first : entry.find(':', first + 1);
    uint64_t frame = 0, offset = 0, length = 0;
    if (second == std::string::npos || !ParseNumber(Trim(entry.substr(0, first)), &frame) ||
        !ParseNumber(Trim(entry.substr(first + 1, second - first - 1)), &offset) ||
        !ParseNumber(Trim(entry.substr(second + 1)), &length) || length == 0) {
      *error = "drop \"" + entry + "\" is not frame:offset:length with a length above 0";
      return false;
    }
    drops->push_back({frame, size_t(offset), size_t(length)});
  }
  return true;
}

DropPlan::DropPlan(std::vector<PlannedDrop> listed, double rate, size_t randomLength, uint32_t seed)
    : m_listed(std::move(listed)), m_rate(rate), m_randomLength(randomLength), m_random(seed)
{
}

std::vector<sorrel::ByteRange> DropPlan::RangesFor(uint64_t frame, size_t frameSize)
{
  std::vector<sorrel::ByteRange> ranges;
  for (const PlannedDrop& drop : m_listed) {
    if (drop.frame == frame && drop.offset < frameSize) {
      ranges.push_back({drop.offset, std::min(drop.length, frameSize - drop.offset)});
    }
  }
  if (m_rate > 0 && m_randomLength > 0 && frameSize > m_randomLength) {
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(m_random) < m_rate) {
      std::uniform_int_distribution<size_t> where(0, frameSize - m_randomLength);
      ranges.push_back({where(m_random), m_randomLength});
    }
  }
  return ranges;
}

} // namespace gst_sorrel_sim
