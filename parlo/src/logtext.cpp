// Rows are found from the nearest checkpoint before them; the spacing of the checkpoints
// bounds every scan, so no lookup reads far even in a file of one endless line.
#include "logtext.h"

#include "lineends.h"
#include "logfilereader.h"
#include "textdecoder.h"

#include <algorithm>

namespace parlo {

LogText::LogText(std::shared_ptr<const LogFileReader> reader,
                 std::shared_ptr<const LineIndex> index)
    : m_pReader(std::move(reader)), m_pIndex(std::move(index)), m_state(m_pIndex->State()),
      m_cache(m_pReader)
{
}

void LogText::Refresh()
{
  m_state = m_pIndex->State();
}

bool LogText::FindEnd(qint64 from, qint64 limit, qint64* lineEnd, qint64* next) const
{
  qint64 position = from;
  while (position < limit) {
    qsizetype available = 0;
    const char* bytes = m_cache.Bytes(position, &available);
    if (!bytes)
      break;
    const qsizetype size = static_cast<qsizetype>(std::min<qint64>(available, limit - position));
    // Only the end of what is indexed decides a CR on its own; a CR at a nearer limit still
    // looks at the byte after it.
    const bool final = position + size >= m_state.end;
    qsizetype after = 0;
    const qsizetype end = FindLineEnd(bytes, size, 0, &after, final);
    if (end >= 0) {
      *lineEnd = position + end;
      *next = position + after;
      return true;
    }
    if (after < size) {
      // A CR ends this block; the first byte of the next one tells CR LF from a lone CR.
      const qint64 cr = position + after;
      qsizetype more = 0;
      const char* following = m_cache.Bytes(cr + 1, &more);
      *lineEnd = cr;
      *next = following && more > 0 && *following == '\n' ? cr + 2 : cr + 1;
      return true;
    }
    position += size;
  }
  *lineEnd = *next = limit;
  return false;
}

qint64 LogText::StartOfRow(qint64 row) const
{
  if (row >= m_state.lineEnds)
    return m_state.lastLineStart;
  const Checkpoint point = m_pIndex->AtLine(row);
  qint64 start = point.offset;
  for (qint64 line = point.line; line < row; ++line) {
    qint64 lineEnd = 0;
    if (!FindEnd(start, m_state.end, &lineEnd, &start))
      break; // the file changed underneath; show what there is
  }
  return start;
}

int LogText::EndBytesBefore(qint64 next) const
{
  if (next < 2)
    return 1;
  qsizetype available = 0;
  const char* bytes = m_cache.Bytes(next - 2, &available);
  if (!bytes || available < 2)
    return 1;
  return bytes[0] == '\r' && bytes[1] == '\n' ? 2 : 1;
}

LineSpan LogText::SpanAt(qint64 row, qint64 start) const
{
  LineSpan span;
  span.row = row;
  span.start = start;
  if (row >= m_state.lineEnds) {
    span.length = std::max<qint64>(0, m_state.end - start);
    return span;
  }
  // A long line ends at a checkpoint; a short one is found by a short scan.
  const Checkpoint point = m_pIndex->AtLine(row + 1);
  if (point.line == row + 1) {
    span.endBytes = EndBytesBefore(point.offset);
    span.length = std::max<qint64>(0, point.offset - span.endBytes - start);
    return span;
  }
  qint64 lineEnd = 0;
  qint64 next = 0;
  FindEnd(start, m_state.end, &lineEnd, &next);
  span.length = lineEnd - start;
  span.endBytes = static_cast<int>(next - lineEnd);
  return span;
}

LineSpan LogText::Row(qint64 row) const
{
  row = std::clamp<qint64>(row, 0, m_state.lineEnds);
  return SpanAt(row, StartOfRow(row));
}

std::vector<LineSpan> LogText::Spans(qint64 first, qint64 count) const
{
  std::vector<LineSpan> spans;
  first = std::clamp<qint64>(first, 0, m_state.lineEnds);
  count = std::min(count, Rows() - first);
  if (count <= 0)
    return spans;
  spans.reserve(static_cast<size_t>(count));
  qint64 start = StartOfRow(first);
  for (qint64 row = first; row < first + count; ++row) {
    spans.push_back(SpanAt(row, start));
    start = spans.back().Next();
  }
  return spans;
}

qint64 LogText::RowOfOffset(qint64 offset) const
{
  if (offset >= m_state.lastLineStart)
    return m_state.lineEnds;
  qint64 nextCheckpoint = 0;
  const Checkpoint point = m_pIndex->AtOffset(std::max<qint64>(offset, 0), &nextCheckpoint);
  // Line starts after a checkpoint lie within its spacing: scan no further.
  const qint64 limit =
      std::min(m_state.end, std::min(offset, point.offset + m_pIndex->Spacing().bytes) + 1);
  qint64 row = point.line;
  qint64 start = point.offset;
  for (;;) {
    qint64 lineEnd = 0;
    qint64 next = 0;
    if (!FindEnd(start, limit, &lineEnd, &next) || next > offset)
      return row;
    ++row;
    start = next;
  }
}

QByteArray LogText::Read(qint64 offset, qint64 length) const
{
  offset = std::clamp<qint64>(offset, 0, m_state.end);
  length = std::clamp<qint64>(length, 0, m_state.end - offset);
  QByteArray bytes(length, Qt::Uninitialized);
  const qint64 got = m_pReader->ReadAt(offset, bytes.data(), length, nullptr);
  bytes.resize(std::max<qint64>(got, 0));
  return bytes;
}

QString LogText::Text(qint64 from, qint64 to) const
{
  const QByteArray bytes = Read(from, to - from);
  return TextDecoder::DecodeRange(bytes.constData(), bytes.size());
}

} // namespace parlo
