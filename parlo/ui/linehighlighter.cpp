// Failure lines dark red on a light red ground, warnings dark orange: readable in print too.
#include "linehighlighter.h"

#include "lineclassifier.h"

namespace parlo {

LineHighlighter::LineHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

QColor LineHighlighter::FailureColour()
{
  return QColor(0xB0, 0x00, 0x00);
}

QColor LineHighlighter::WarningColour()
{
  return QColor(0xA0, 0x5A, 0x00);
}

QTextCharFormat LineHighlighter::FormatFor(LineKind kind)
{
  QTextCharFormat format;
  if (kind == LineKind::Normal)
    return format;
  format.setForeground(kind == LineKind::Failure ? FailureColour() : WarningColour());
  if (kind == LineKind::Failure)
    format.setBackground(QColor(0xFF, 0xE8, 0xE8));
  return format;
}

void LineHighlighter::highlightBlock(const QString& text)
{
  const LineKind kind = ClassifyLine(text);
  if (kind != LineKind::Normal)
    setFormat(0, static_cast<int>(text.size()), FormatFor(kind));
}

} // namespace parlo
