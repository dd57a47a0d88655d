// Line ends come from FindLineEnd, non-text bytes from CountNonTextBytes: the same rules as
// the decoder's, at memory speed.
#include "linescanner.h"

#include "lineends.h"

#include <algorithm>

namespace parlo {

LineScanner::LineScanner(CheckpointSpacing spacing) : m_spacing(spacing) {}

qsizetype LineScanner::Scan(const char* data, qsizetype size, std::vector<Checkpoint>* found)
{
  const qint64 base = m_state.end;
  qsizetype position = 0;
  qsizetype next = 0;
  for (;;) {
    const qsizetype lineEnd = FindLineEnd(data, size, position, &next, false);
    if (lineEnd < 0)
      break;
    m_nLongestEnded = std::max(m_nLongestEnded, base + lineEnd - m_state.lastLineStart);
    ++m_state.lineEnds;
    m_state.lastLineStart = base + next;
    if (m_state.lineEnds - m_last.line >= m_spacing.lines ||
        m_state.lastLineStart - m_last.offset >= m_spacing.bytes) {
      m_last = Checkpoint{m_state.lineEnds, m_state.lastLineStart};
      found->push_back(m_last);
    }
    position = next;
  }
  // `next` is where the scan stopped: the end, or a CR whose partner is not known yet.
  m_state.nonTextBytes += CountNonTextBytes(data, next);
  m_state.end = base + next;
  return next;
}

IndexState LineScanner::State() const
{
  IndexState state = m_state;
  state.longestLine = std::max(m_nLongestEnded, state.end - state.lastLineStart);
  return state;
}

} // namespace parlo
