// Rows are read in batches through the line index; a long row is laid out in slices cut where
// characters start.
#include "logprinter.h"

#include "ctheview.h"
#include "lineclassifier.h"
#include "linehighlighter.h"
#include "linelayoutcache.h"
#include "logtext.h"
#include "textdecoder.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>

namespace parlo {
namespace {

constexpr qint64 kRowsPerBatch = 512;
constexpr qint64 kSliceBytes = 64 * 1024;

// Pages as they fill, printing only those in the printer's range.
class PageFiller
{
public:
  PageFiller(QPrinter* printer, QPainter* painter, QSizeF size, qreal footer)
      : m_pPrinter(printer), m_pPainter(painter), m_rWidth(size.width()), m_rHeight(size.height()),
        m_rFooter(footer), m_nFrom(printer->fromPage()), m_nTo(printer->toPage())
  {
  }

  bool Printing() const { return m_nFrom == 0 || (m_nPage >= m_nFrom && m_nPage <= m_nTo); }
  // The top of room for a line of the height, on a new page when this one is full.
  qreal Place(qreal lineHeight)
  {
    if (!m_bStarted) {
      Start();
    } else if (m_rY + lineHeight > m_rHeight - m_rFooter && m_rY > 0) {
      Finish();
      ++m_nPage;
      m_rY = 0;
      Start();
    }
    const qreal top = m_rY;
    m_rY += lineHeight;
    return top;
  }
  void Finish()
  {
    if (!m_bStarted || !Printing())
      return;
    const QString number = QString::number(m_nPage);
    const QFontMetricsF metrics(m_pPainter->font(), m_pPrinter);
    m_pPainter->drawText(
        QPointF(m_rWidth - metrics.horizontalAdvance(number), m_rHeight - metrics.descent()),
        number);
  }
  int Count() const { return m_nPage; }
  int Printed() const { return m_nPrinted; }

private:
  void Start()
  {
    m_bStarted = true;
    if (!Printing())
      return;
    if (m_nPrinted++ > 0)
      m_pPrinter->newPage();
  }

  QPrinter* m_pPrinter;
  QPainter* m_pPainter;
  qreal m_rWidth;
  qreal m_rHeight;
  qreal m_rFooter;
  int m_nFrom;
  int m_nTo;
  int m_nPage = 1;
  int m_nPrinted = 0;
  qreal m_rY = 0;
  bool m_bStarted = false;
};

} // namespace

LogPrinter::LogPrinter(const LogText& text, const CharFormat& format)
    : m_text(text), m_format(format)
{
}

bool LogPrinter::Print(QPrinter* printer, qint64 from, qint64 to, const Progress& progress)
{
  m_nPages = m_nPrintedPages = 0;
  m_nRows = m_nLines = 0;
  const double inches = CTheView::kPrintMarginTwips / 1440.0;
  printer->setPageMargins(QMarginsF(inches, inches, inches, inches), QPageLayout::Inch);
  QPainter painter;
  if (!painter.begin(printer))
    return false;
  const QFont font(CTheView::FontFromFormat(m_format), printer);
  painter.setFont(font);
  painter.setPen(m_format.colour ? QColor::fromRgb(*m_format.colour) : QColor(Qt::black));
  const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
  const QFontMetricsF metrics(font, printer);
  PageFiller pages(printer, &painter, page.size(), 2 * metrics.lineSpacing());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

  from = std::clamp<qint64>(from, 0, m_text.State().end);
  to = std::clamp<qint64>(to, from, m_text.State().end);
  qint64 lastRow = m_text.RowOfOffset(to);
  // A selection that ends where a row starts takes nothing of that row.
  if (to > from && lastRow > 0 && m_text.Row(lastRow).start == to)
    --lastRow;
  bool cancelled = false;
  for (qint64 first = m_text.RowOfOffset(from); first <= lastRow && !cancelled;
       first += kRowsPerBatch) {
    for (const LineSpan& span : m_text.Spans(first, std::min(kRowsPerBatch, lastRow - first + 1))) {
      const qint64 begin = std::max(from, span.start);
      const qint64 end = std::min(to, span.End());
      // The kind comes from the row's start, as on the screen, whatever part is printed.
      const LineKind kind = ClassifyLine(
          m_text.Text(span.start, std::min(span.End(), span.start + LineLayoutCache::kPieceBytes)));
      // A long row in slices; an empty one still takes its line.
      for (qint64 slice = begin; slice < end || slice == begin;) {
        QByteArray bytes = m_text.Read(slice, std::min(end, slice + kSliceBytes + 3) - slice);
        const qsizetype cut =
            slice + kSliceBytes >= end
                ? bytes.size()
                : TextDecoder::CharacterStart(bytes.constData(), bytes.size(), kSliceBytes);
        bytes.truncate(cut);
        const QString text = TextDecoder::DecodeRange(bytes.constData(), bytes.size());
        QTextLayout layout(text, font, printer);
        layout.setTextOption(option);
        if (kind != LineKind::Normal) {
          layout.setFormats({QTextLayout::FormatRange{0, static_cast<int>(text.size()),
                                                      LineHighlighter::FormatFor(kind)}});
        }
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
          line.setLineWidth(page.width());
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
          const QTextLine line = layout.lineAt(i);
          const qreal top = pages.Place(std::max(line.height(), metrics.lineSpacing()));
          ++m_nLines;
          if (pages.Printing())
            line.draw(&painter, QPointF(0, top - line.y()));
        }
        if (bytes.isEmpty())
          break;
        slice += bytes.size();
      }
      ++m_nRows;
    }
    if (progress) {
      const qint64 done = m_text.Row(std::min(first + kRowsPerBatch, lastRow)).start - from;
      cancelled = !progress(
          to > from ? static_cast<int>(std::clamp<qint64>(done, 0, to - from) * 100 / (to - from))
                    : 100);
    }
  }
  pages.Finish();
  m_nPages = pages.Count();
  m_nPrintedPages = pages.Printed();
  if (cancelled)
    printer->abort();
  painter.end();
  return printer->printerState() != QPrinter::Error;
}

} // namespace parlo
