// The lines of a plain-text log as a window needs them: rows, byte spans, the row of an
// offset, bytes and decoded text, read through the line index and a small block cache.
#pragma once

#include "blockcache.h"
#include "lineindex.h"

#include <QString>

#include <memory>
#include <vector>

namespace parlo {

class LogFileReader;

// One row of the file: where its text lies, without the line end.
struct LineSpan
{
  qint64 row = 0;
  qint64 start = 0;
  qint64 length = 0;
  int endBytes = 0; // 1 (LF or CR) or 2 (CR LF); 0 for the last row, which has no line end

  qint64 End() const { return start + length; }
  qint64 Next() const { return start + length + endBytes; }
};

// Answers within the index's state taken by the last Refresh, so one screen is drawn from one
// consistent picture while the index grows on its worker thread. The file is read with
// positional reads only: a file that shrinks gives short rows, never a fault.
// User-interface thread only.
class LogText
{
public:
  LogText(std::shared_ptr<const LogFileReader> reader, std::shared_ptr<const LineIndex> index);

  // Takes the index's current state.
  void Refresh();
  const IndexState& State() const { return m_state; }
  qint64 Rows() const { return m_state.Rows(); }
  // The size the document is being read up to; the index may still be behind it.
  void SetTarget(qint64 bytes) { m_nTarget = bytes; }
  qint64 Target() const { return std::max(m_nTarget, m_state.end); }

  LineSpan Row(qint64 row) const;
  // Up to `count` rows from `first` on.
  std::vector<LineSpan> Spans(qint64 first, qint64 count) const;
  // The row that holds the byte at the offset (a line end belongs to the row it ends).
  qint64 RowOfOffset(qint64 offset) const;

  // Bytes of [offset, offset + length) within the indexed part; fewer when the file shrank.
  QByteArray Read(qint64 offset, qint64 length) const;
  // Decoded text of [from, to), line ends as "\n".
  QString Text(qint64 from, qint64 to) const;

  const std::shared_ptr<const LogFileReader>& Reader() const { return m_pReader; }
  const LineIndex& Index() const { return *m_pIndex; }

private:
  // The first line end that starts in [from, limit), an LF after a CR at the limit included;
  // false when there is none.
  bool FindEnd(qint64 from, qint64 limit, qint64* lineEnd, qint64* next) const;
  qint64 StartOfRow(qint64 row) const;
  LineSpan SpanAt(qint64 row, qint64 start) const;
  int EndBytesBefore(qint64 next) const;

  std::shared_ptr<const LogFileReader> m_pReader;
  std::shared_ptr<const LineIndex> m_pIndex;
  IndexState m_state;
  qint64 m_nTarget = 0;
  mutable BlockCache m_cache;
};

} // namespace parlo
