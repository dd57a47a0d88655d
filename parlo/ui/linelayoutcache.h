// Text layouts of the rows on the screen, laid out when first shown and forgotten once far away.
#pragma once

#include "lineclassifier.h"
#include "logtext.h"

#include <QFont>
#include <QTextLayout>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace parlo {

// A row longer than one piece is laid out a piece at a time, only where it is seen: piece n
// holds the characters that start in bytes [n, n + 1) * kPieceBytes of the row and is placed
// n * kPieceBytes character widths from the row's start. With a fixed-pitch font and text of
// one byte a character (the logs' own) the pieces join seamlessly; elsewhere a long row may
// show a small gap or overlap where its pieces meet. A row's kind (failure, warning) comes from
// its first piece. User-interface thread only.
class LineLayoutCache
{
public:
  static constexpr qint64 kPieceBytes = 8192;

  // Bytes [begin, end) of the file, laid out at x within the row.
  struct Piece
  {
    qint64 begin = 0;
    qint64 end = 0;
    qreal x = 0;
    std::vector<qint32> offsets; // per text unit, its first byte from `begin`; then end - begin
    std::unique_ptr<QTextLayout> layout;

    // The text unit at the offset, or the first one after it.
    int UnitAt(qint64 offset) const;
    qint64 OffsetOfUnit(int unit) const { return begin + offsets[static_cast<size_t>(unit)]; }
    qreal XOf(qint64 offset) const;
  };

  struct Row
  {
    LineSpan span;
    LineKind kind = LineKind::Normal;
    std::map<qint64, Piece> pieces; // by piece number

    qint64 PieceCount() const;
  };

  void SetText(const LogText* text);
  void SetFont(const QFont& font);
  const QFont& Font() const { return m_font; }
  qreal CharWidth() const { return m_rCharWidth; }
  // Drops every layout.
  void Clear() { m_rows.clear(); }

  // The row laid out as far as asked; a cached row whose span changed (a last row that grew)
  // is laid out again.
  Row& RowFor(const LineSpan& span);
  Piece& PieceOf(Row& row, qint64 number);
  // The piece holding the offset; a piece boundary belongs to the piece after it, the row's end
  // to its last piece.
  Piece& PieceAt(Row& row, qint64 offset);
  // The pieces that meet x in [left, right).
  std::pair<qint64, qint64> PiecesBetween(const Row& row, qreal left, qreal right) const;
  // Where a piece may draw: all of a row of one piece, else its own stretch.
  qreal PieceWidth(const Row& row, const Piece& piece) const;
  // The width of the whole row: laid out for a row of one piece, reckoned for a longer one.
  qreal RowWidth(Row& row);
  // The offset of the character edge nearest to x.
  qint64 OffsetAtX(Row& row, qreal x);
  // Forgets rows outside [first, last] and pieces outside [left, right] of the rows kept.
  void Keep(qint64 first, qint64 last, qreal left, qreal right);

private:
  Piece Build(const Row& row, qint64 number) const;
  static void LayOut(Piece& piece, LineKind kind);

  const LogText* m_pText = nullptr;
  QFont m_font;
  qreal m_rCharWidth = 8;
  std::map<qint64, Row> m_rows;
};

} // namespace parlo
