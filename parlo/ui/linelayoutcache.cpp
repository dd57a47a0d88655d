// Pieces are decoded from their own bytes: they are cut where characters start, so each decodes
// as it does within the row.
#include "linelayoutcache.h"

#include "linehighlighter.h"
#include "textdecoder.h"

#include <QFontMetricsF>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace parlo {

int LineLayoutCache::Piece::UnitAt(qint64 offset) const
{
  const auto at = std::lower_bound(offsets.begin(), offsets.end(), offset - begin);
  return static_cast<int>(std::min<std::ptrdiff_t>(
      at - offsets.begin(), static_cast<std::ptrdiff_t>(offsets.size()) - 1));
}

qreal LineLayoutCache::Piece::XOf(qint64 offset) const
{
  return x + layout->lineAt(0).cursorToX(UnitAt(offset));
}

qint64 LineLayoutCache::Row::PieceCount() const
{
  return std::max<qint64>(1, (span.length + kPieceBytes - 1) / kPieceBytes);
}

void LineLayoutCache::SetText(const LogText* text)
{
  m_pText = text;
  Clear();
}

void LineLayoutCache::SetFont(const QFont& font)
{
  m_font = font;
  m_rCharWidth = std::max<qreal>(1, QFontMetricsF(font).horizontalAdvance(QLatin1Char('x')));
  Clear();
}

LineLayoutCache::Row& LineLayoutCache::RowFor(const LineSpan& span)
{
  Row& row = m_rows[span.row];
  if (row.span.start != span.start || row.span.length != span.length ||
      row.span.endBytes != span.endBytes || row.pieces.empty()) {
    row.pieces.clear();
    row.span = span;
    row.kind = LineKind::Normal;
    // The first piece tells the row's kind, which every piece is drawn in.
    Piece first = Build(row, 0);
    row.kind = ClassifyLine(first.layout->text());
    if (row.kind != LineKind::Normal)
      LayOut(first, row.kind);
    row.pieces.emplace(0, std::move(first));
  }
  return row;
}

LineLayoutCache::Piece& LineLayoutCache::PieceOf(Row& row, qint64 number)
{
  number = std::clamp<qint64>(number, 0, row.PieceCount() - 1);
  auto found = row.pieces.find(number);
  if (found == row.pieces.end())
    found = row.pieces.emplace(number, Build(row, number)).first;
  return found->second;
}

LineLayoutCache::Piece& LineLayoutCache::PieceAt(Row& row, qint64 offset)
{
  const qint64 within = std::clamp<qint64>(offset - row.span.start, 0, row.span.length);
  const qint64 number = std::min(within / kPieceBytes, row.PieceCount() - 1);
  Piece& piece = PieceOf(row, number);
  if (number > 0 && offset < piece.begin)
    return PieceOf(row, number - 1);
  return piece;
}

std::pair<qint64, qint64> LineLayoutCache::PiecesBetween(const Row& row, qreal left,
                                                         qreal right) const
{
  const qint64 last = row.PieceCount() - 1;
  if (last == 0)
    return {0, 0};
  const qreal stretch = kPieceBytes * m_rCharWidth;
  return {std::clamp<qint64>(static_cast<qint64>(std::floor(left / stretch)), 0, last),
          std::clamp<qint64>(static_cast<qint64>(std::floor(right / stretch)), 0, last)};
}

qreal LineLayoutCache::PieceWidth(const Row& row, const Piece& piece) const
{
  if (row.PieceCount() == 1)
    return std::max<qreal>(piece.layout->lineAt(0).naturalTextWidth(), 1) + m_rCharWidth;
  return kPieceBytes * m_rCharWidth;
}

qreal LineLayoutCache::RowWidth(Row& row)
{
  if (row.PieceCount() == 1)
    return PieceOf(row, 0).layout->lineAt(0).naturalTextWidth();
  return row.span.length * m_rCharWidth;
}

qint64 LineLayoutCache::OffsetAtX(Row& row, qreal x)
{
  Piece& piece = PieceOf(row, PiecesBetween(row, x, x).first);
  const int unit =
      piece.layout->lineAt(0).xToCursor(x - piece.x, QTextLine::CursorBetweenCharacters);
  return piece.OffsetOfUnit(std::clamp(unit, 0, static_cast<int>(piece.offsets.size()) - 1));
}

void LineLayoutCache::Keep(qint64 first, qint64 last, qreal left, qreal right)
{
  std::erase_if(m_rows,
                [&](const auto& entry) { return entry.first < first || entry.first > last; });
  for (auto& [number, row] : m_rows) {
    const auto [from, to] = PiecesBetween(row, left, right);
    std::erase_if(row.pieces, [&](const auto& entry) {
      // The first piece stays: it holds the row's kind.
      return entry.first != 0 && (entry.first < from - 1 || entry.first > to + 1);
    });
  }
}

LineLayoutCache::Piece LineLayoutCache::Build(const Row& row, qint64 number) const
{
  const LineSpan& span = row.span;
  Piece piece;
  QByteArray bytes;
  if (span.length <= kPieceBytes) {
    bytes = m_pText->Read(span.start, span.length);
    piece.begin = span.start;
  } else {
    const qint64 from = number * kPieceBytes;
    const qint64 to = std::min(span.length, from + kPieceBytes);
    bytes = m_pText->Read(span.start + from, std::min(span.length, to + 3) - from);
    const qsizetype size = bytes.size();
    const qsizetype begin =
        number == 0 ? 0 : TextDecoder::CharacterStart(bytes.constData(), size, 0);
    const qsizetype end = to >= span.length || to - from >= size
                              ? size
                              : TextDecoder::CharacterStart(bytes.constData(), size, to - from);
    bytes = bytes.mid(begin, std::max<qsizetype>(0, end - begin));
    piece.begin = span.start + from + begin;
    piece.x = from * m_rCharWidth;
  }
  const QString text = TextDecoder::DecodeRange(bytes.constData(), bytes.size(), &piece.offsets);
  piece.end = piece.begin + bytes.size();
  piece.layout = std::make_unique<QTextLayout>(text, m_font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  piece.layout->setTextOption(option);
  piece.layout->setCacheEnabled(true);
  LayOut(piece, row.kind);
  return piece;
}

void LineLayoutCache::LayOut(Piece& piece, LineKind kind)
{
  QTextLayout& layout = *piece.layout;
  if (kind != LineKind::Normal) {
    layout.setFormats({QTextLayout::FormatRange{0, static_cast<int>(layout.text().size()),
                                                LineHighlighter::FormatFor(kind)}});
  }
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setPosition(QPointF(0, 0));
  layout.endLayout();
}

} // namespace parlo
