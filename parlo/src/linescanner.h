// The writer side of a LineIndex: finds the line ends in a file read front to back and decides
// where the checkpoints go.
#pragma once

#include "lineindex.h"

#include <vector>

namespace parlo {

// One thread at a time.
class LineScanner
{
public:
  explicit LineScanner(CheckpointSpacing spacing = {});

  // Takes bytes that start at State().end and returns how many it took: all but a CR at their
  // end, which may be the first half of CR LF and has to be passed again with what follows.
  // Checkpoints found are appended to *found.
  qsizetype Scan(const char* data, qsizetype size, std::vector<Checkpoint>* found);
  // What has been scanned, as readers of the index see it.
  IndexState State() const;

private:
  CheckpointSpacing m_spacing;
  IndexState m_state;
  Checkpoint m_last;
  qint64 m_nLongestEnded = 0; // longest line that has its line end
};

} // namespace parlo
