// Where the lines of a log file start: a checkpoint every few lines, written by one thread
// while others read it.
#pragma once

#include <QtGlobal>

#include <deque>
#include <mutex>
#include <vector>

namespace parlo {

// A line number (from 0) and the byte offset at which that line starts.
struct Checkpoint
{
  qint64 line = 0;
  qint64 offset = 0;
};

// A checkpoint lies at most `lines` lines after the one before it, and the first line that
// starts `bytes` or more after a checkpoint is one. So every other line start lies less than
// `bytes` after the checkpoint before it, and a line longer than that ends at a checkpoint:
// nothing has to be read far to find a line, however long the lines are.
struct CheckpointSpacing
{
  qint64 lines = 256;
  qint64 bytes = 64 * 1024;
};

// What the index knows of the file so far.
struct IndexState
{
  qint64 lineEnds = 0;      // line ends in [0, end)
  qint64 end = 0;           // bytes indexed
  qint64 lastLineStart = 0; // where the line after the last line end starts
  qint64 longestLine = 0;   // bytes of the longest line, line end not counted
  qint64 nonTextBytes = 0;  // bytes that TextDecoder shows as U+FFFD

  // Rows a view shows: every line, and the empty row after a final line end.
  qint64 Rows() const { return lineEnds + 1; }
  // Lines as a reader counts them: an unfinished last line counts, nothing after a line end.
  qint64 Lines() const { return lineEnds + (end > lastLineStart ? 1 : 0); }
};

// Thread-safe: one writer publishes what it scanned; readers take the state and look up
// checkpoints. Checkpoints are only ever added, so an answer stays true for any later state.
class LineIndex
{
public:
  explicit LineIndex(CheckpointSpacing spacing = {});

  const CheckpointSpacing& Spacing() const { return m_spacing; }
  IndexState State() const;
  // The last checkpoint at or before the line.
  Checkpoint AtLine(qint64 line) const;
  // The last checkpoint at or before the offset; *nextOffset gets the offset of the one after
  // it, -1 when there is none yet.
  Checkpoint AtOffset(qint64 offset, qint64* nextOffset) const;
  qint64 CheckpointCount() const;

  // Adds the checkpoints found since the last call and the state they lead to, at once.
  void Publish(const std::vector<Checkpoint>& found, const IndexState& state);

private:
  const CheckpointSpacing m_spacing;
  mutable std::mutex m_mutex;
  // A deque grows without copying what it holds: no peak of twice the index while it grows.
  std::deque<Checkpoint> m_checkpoints;
  IndexState m_state;
};

} // namespace parlo
