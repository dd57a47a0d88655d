// The viewer's text view: no wrapping at the window edge, coloured failure and warning lines.
#pragma once

#include "fontarithmetic.h"

#include <QPlainTextEdit>
#include <QStringList>

class QMimeData;
class QPrinter;

namespace parlo {

class LineHighlighter;

// Shows the document of a CParloDoc. The default character format belongs to the process:
// the first view sets it from the string table, later views keep the user's choice.
// User-interface thread only.
class CTheView : public QPlainTextEdit
{
  Q_OBJECT
public:
  static constexpr int kPrintMarginTwips = 720;

  explicit CTheView(QWidget* parent = nullptr);

  // Shows the document and applies the default format to it.
  void SetDocument(QTextDocument* document);
  static const CharFormat& DefaultFormat();
  // Makes the format the default and applies it to the whole text.
  void SetDefaultFormat(const CharFormat& format);
  void ApplyDefaultFormat();
  void CaretToEnd();

  // Prints the whole text with 720-twip margins; false when the printer reported an error.
  bool Print(QPrinter* printer) const;
  // Searches from the caret, wrapping around once; selects the match.
  bool FindText(const QString& text, bool backward, bool matchCase);

  static QFont FontFromFormat(const CharFormat& format);
  // The local files among dropped or pasted items.
  static QStringList LocalFiles(const QMimeData* mime);

signals:
  void filesDropped(const QStringList& paths);

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  static CharFormat& ProcessDefault();
};

} // namespace parlo
