// Colours the lines that carry the harness's failure and warning texts.
#pragma once

#include "lineclassifier.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace parlo {

class LineHighlighter : public QSyntaxHighlighter
{
  Q_OBJECT
public:
  explicit LineHighlighter(QTextDocument* document);

  static QColor FailureColour();
  static QColor WarningColour();
  // The format of a whole line of the kind: the same on the screen, in every view, on paper.
  static QTextCharFormat FormatFor(LineKind kind);

protected:
  void highlightBlock(const QString& text) override;
};

} // namespace parlo
