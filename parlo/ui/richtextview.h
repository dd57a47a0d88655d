// The view of a rich-text document (HTML or Markdown with pictures): the framework's text
// editor, read-only, never wrapping at the window edge, failure and warning lines coloured.
#pragma once

#include "fontarithmetic.h"

#include <QPlainTextEdit>

class QPrinter;

namespace parlo {

// User-interface thread only.
class RichTextView : public QPlainTextEdit
{
  Q_OBJECT
public:
  explicit RichTextView(QWidget* parent = nullptr);

  // Shows the document (an empty one of its own when null) in the format.
  void SetDocument(QTextDocument* document, const CharFormat& format);
  // Applies the format to the whole text: caret at the start, no undo, nothing modified.
  void ApplyFormat(const CharFormat& format);
  void CaretToEnd();
  // Prints the whole text with 720-twip margins; false when the printer reported an error.
  bool Print(QPrinter* printer, const CharFormat& format) const;
  // Searches from the caret, wrapping around once; selects the match.
  bool FindText(const QString& text, bool backward, bool matchCase);

signals:
  void filesDropped(const QStringList& paths);

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  QTextDocument* m_pEmpty = nullptr;
};

} // namespace parlo
