// Colours the lines that carry the harness's failure and warning texts.
#pragma once

#include <QSyntaxHighlighter>

namespace parlo {

class LineHighlighter : public QSyntaxHighlighter
{
  Q_OBJECT
public:
  explicit LineHighlighter(QTextDocument* document);

  static QColor FailureColour();
  static QColor WarningColour();

protected:
  void highlightBlock(const QString& text) override;
};

} // namespace parlo
