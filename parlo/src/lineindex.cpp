// Checkpoints in line order, which is also offset order; lookups are binary searches.
#include "lineindex.h"

#include <algorithm>

namespace parlo {

LineIndex::LineIndex(CheckpointSpacing spacing) : m_spacing(spacing)
{
  m_checkpoints.push_back(Checkpoint{0, 0});
}

IndexState LineIndex::State() const
{
  std::lock_guard lock(m_mutex);
  return m_state;
}

Checkpoint LineIndex::AtLine(qint64 line) const
{
  std::lock_guard lock(m_mutex);
  const auto after =
      std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), line,
                       [](qint64 value, const Checkpoint& point) { return value < point.line; });
  return after == m_checkpoints.begin() ? m_checkpoints.front() : *std::prev(after);
}

Checkpoint LineIndex::AtOffset(qint64 offset, qint64* nextOffset) const
{
  std::lock_guard lock(m_mutex);
  const auto after =
      std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), offset,
                       [](qint64 value, const Checkpoint& point) { return value < point.offset; });
  *nextOffset = after == m_checkpoints.end() ? -1 : after->offset;
  return after == m_checkpoints.begin() ? m_checkpoints.front() : *std::prev(after);
}

qint64 LineIndex::CheckpointCount() const
{
  std::lock_guard lock(m_mutex);
  return static_cast<qint64>(m_checkpoints.size());
}

void LineIndex::Publish(const std::vector<Checkpoint>& found, const IndexState& state)
{
  std::lock_guard lock(m_mutex);
  m_checkpoints.insert(m_checkpoints.end(), found.begin(), found.end());
  m_state = state;
}

} // namespace parlo
