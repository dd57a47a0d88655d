// The file is decoded block by block and searched with QString's own matching, so a match is
// found exactly where the view would show it. Blocks overlap by the most bytes a match can
// take and are cut where characters start.
#include "textsearch.h"

#include "logfilereader.h"
#include "textdecoder.h"
#include "threadpriority.h"

#include <algorithm>
#include <vector>

namespace parlo {
namespace {

constexpr qint64 kBlockBytes = 1024 * 1024;
// A UTF-16 unit of text comes from at most three bytes (a supplementary character from four
// for two units; a CR LF gives one unit from two).
constexpr qint64 kMaxBytesPerUnit = 3;

// One decoded block of the file.
class Block
{
public:
  // Reads [from, to) and decodes it, cut where characters start; a block that starts or ends
  // where the searched bytes do needs no cut there.
  bool Load(const LogFileReader& reader, qint64 from, qint64 to, qint64 readLimit, bool first)
  {
    const qint64 readTo = std::min(readLimit, to + 3);
    m_bytes.resize(readTo - from);
    const qint64 got = reader.ReadAt(from, m_bytes.data(), readTo - from, nullptr);
    if (got < 0)
      return false;
    m_bytes.resize(got);
    const qsizetype size = m_bytes.size();
    const char* bytes = m_bytes.constData();
    const qsizetype begin = first ? 0 : TextDecoder::CharacterStart(bytes, size, 0);
    const qsizetype end = to >= readLimit || to - from >= size
                              ? size
                              : TextDecoder::CharacterStart(bytes, size, to - from);
    m_nStart = from + begin;
    m_nBegin = begin;
    m_nSize = std::max<qsizetype>(0, end - begin);
    TextDecoder::DecodeRange(bytes + begin, m_nSize, &m_text);
    m_offsets.clear();
    return true;
  }

  const QString& Text() const { return m_text; }

  // The bytes of the text's [index, index + length); the offsets are worked out only for a
  // block that has a match.
  TextMatch Match(qsizetype index, qsizetype length)
  {
    if (m_offsets.empty())
      TextDecoder::DecodeRange(m_bytes.constData() + m_nBegin, m_nSize, &m_offsets);
    return TextMatch{m_nStart + m_offsets[index], m_nStart + m_offsets[index + length]};
  }

private:
  QByteArray m_bytes;
  qint64 m_nStart = 0;    // file offset of the first decoded byte
  qsizetype m_nBegin = 0; // where that byte lies in m_bytes
  qsizetype m_nSize = 0;
  QString m_text;
  std::vector<qint32> m_offsets;
};

struct Range
{
  qint64 from;       // matches start at or after this
  qint64 startLimit; // and before this
  qint64 to;         // and end at or before this
};

class Searcher
{
public:
  Searcher(const LogFileReader& reader, const SearchQuery& query, const std::atomic<bool>& cancel,
           const TextSearch::Progress& progress)
      : m_reader(reader), m_query(query), m_cancel(cancel), m_progress(progress),
        m_sensitivity(query.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive),
        m_nOverlap(kMaxBytesPerUnit * query.text.size() + 4)
  {
  }

  TextMatch First(const Range& range)
  {
    const qint64 readLimit = ReadLimit(range);
    for (qint64 from = range.from; from < range.startLimit && !m_cancel;) {
      const qint64 to = std::min(readLimit, from + kBlockBytes);
      if (!m_block.Load(m_reader, from, to, readLimit, from == range.from))
        return {};
      const QString& text = m_block.Text();
      for (qsizetype at = text.indexOf(m_query.text, 0, m_sensitivity); at >= 0;
           at = text.indexOf(m_query.text, at + 1, m_sensitivity)) {
        const TextMatch match = m_block.Match(at, m_query.text.size());
        if (match.start >= range.startLimit)
          return {};
        if (match.start >= range.from && match.end <= range.to)
          return match;
      }
      Advance(to - from);
      if (to >= readLimit)
        break;
      from = std::max(from + 1, to - m_nOverlap);
    }
    return {};
  }

  TextMatch Last(const Range& range)
  {
    const qint64 readLimit = ReadLimit(range);
    for (qint64 to = readLimit; to > range.from && !m_cancel;) {
      const qint64 from = std::max(range.from, to - kBlockBytes);
      if (!m_block.Load(m_reader, from, to, readLimit, from == range.from))
        return {};
      const QString& text = m_block.Text();
      for (qsizetype at = text.lastIndexOf(m_query.text, -1, m_sensitivity); at >= 0;
           at = at > 0 ? text.lastIndexOf(m_query.text, at - 1, m_sensitivity) : -1) {
        const TextMatch match = m_block.Match(at, m_query.text.size());
        if (match.start >= range.from && match.start < range.startLimit && match.end <= range.to)
          return match;
      }
      Advance(to - from);
      if (from <= range.from)
        break;
      to = std::min(to - 1, from + m_nOverlap);
    }
    return {};
  }

private:
  // A match that starts before the start limit ends before this.
  qint64 ReadLimit(const Range& range) const
  {
    return std::min(range.to, range.startLimit + m_nOverlap);
  }

  void Advance(qint64 bytes)
  {
    m_nDone += bytes;
    if (m_progress)
      m_progress(std::min(m_nDone, m_query.end), m_query.end);
  }

  const LogFileReader& m_reader;
  const SearchQuery& m_query;
  const std::atomic<bool>& m_cancel;
  const TextSearch::Progress& m_progress;
  const Qt::CaseSensitivity m_sensitivity;
  const qint64 m_nOverlap;
  qint64 m_nDone = 0;
  Block m_block;
};

} // namespace

TextMatch TextSearch::Find(const LogFileReader& reader, const SearchQuery& query,
                           const std::atomic<bool>& cancel, const Progress& progress)
{
  if (query.text.isEmpty() || query.end <= 0)
    return {};
  const qint64 end = query.end;
  const qint64 selectionStart = std::clamp<qint64>(query.selectionStart, 0, end);
  const qint64 selectionEnd = std::clamp<qint64>(query.selectionEnd, selectionStart, end);
  Searcher searcher(reader, query, cancel, progress);
  TextMatch match;
  if (!query.backward) {
    match = searcher.First(Range{selectionEnd, end, end});
    // Around once: from the top, up to and including the current selection.
    if (!match.Found() && !cancel)
      match = searcher.First(Range{0, selectionEnd, end});
  } else {
    match = searcher.Last(Range{0, selectionStart, end});
    if (!match.Found() && !cancel)
      match = searcher.Last(Range{selectionStart, end, end});
  }
  return cancel ? TextMatch{} : match;
}

TextSearch::~TextSearch()
{
  Cancel();
}

void TextSearch::Start(std::shared_ptr<const LogFileReader> reader, SearchQuery query,
                       Progress progress, Done done)
{
  Cancel();
  m_bCancel = false;
  m_thread = std::thread([this, reader = std::move(reader), query = std::move(query),
                          progress = std::move(progress), done = std::move(done)] {
    LowerCurrentThreadPriority();
    const TextMatch match = Find(*reader, query, m_bCancel, progress);
    if (!m_bCancel)
      done(match);
  });
}

void TextSearch::Cancel()
{
  m_bCancel = true;
  if (m_thread.joinable())
    m_thread.join();
}

} // namespace parlo
