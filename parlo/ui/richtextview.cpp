// The default format, printing through a coloured copy, find and dropped files.
#include "richtextview.h"

#include "ctheview.h"
#include "lineclassifier.h"
#include "linehighlighter.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

namespace parlo {

RichTextView::RichTextView(QWidget* parent) : QPlainTextEdit(parent)
{
  // Lines are never wrapped at the window edge; long lines scroll horizontally.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::NoWrap);
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  m_pEmpty = new QTextDocument(this);
  m_pEmpty->setDocumentLayout(new QPlainTextDocumentLayout(m_pEmpty));
  setDocument(m_pEmpty);
}

void RichTextView::SetDocument(QTextDocument* document, const CharFormat& format)
{
  setDocument(document ? document : m_pEmpty);
  if (document && !document->findChild<LineHighlighter*>())
    new LineHighlighter(document);
  ApplyFormat(format);
}

void RichTextView::ApplyFormat(const CharFormat& format)
{
  const QFont font = CTheView::FontFromFormat(format);
  setFont(font);
  document()->setDefaultFont(font);
  QPalette colours = palette();
  colours.setColor(QPalette::Text, format.colour ? QColor::fromRgb(*format.colour)
                                                 : QPalette().color(QPalette::Text));
  setPalette(colours);
  // Select the start, forget undo history, clear the modified flag.
  moveCursor(QTextCursor::Start);
  document()->clearUndoRedoStacks();
  document()->setModified(false);
}

void RichTextView::CaretToEnd()
{
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
}

bool RichTextView::Print(QPrinter* printer, const CharFormat& format) const
{
  std::unique_ptr<QTextDocument> copy(document()->clone());
  copy->setDefaultFont(CTheView::FontFromFormat(format));
  // Paper shows the same colours as the window: the text colour, then the marked lines.
  if (format.colour) {
    QTextCursor all(copy.get());
    all.select(QTextCursor::Document);
    QTextCharFormat colour;
    colour.setForeground(QColor::fromRgb(*format.colour));
    all.mergeCharFormat(colour);
  }
  for (QTextBlock block = copy->firstBlock(); block.isValid(); block = block.next()) {
    const LineKind kind = ClassifyLine(block.text());
    if (kind == LineKind::Normal)
      continue;
    QTextCursor line(block);
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    line.mergeCharFormat(LineHighlighter::FormatFor(kind));
  }
  const double inches = CTheView::kPrintMarginTwips / 1440.0;
  printer->setPageMargins(QMarginsF(inches, inches, inches, inches), QPageLayout::Inch);
  copy->print(printer);
  return printer->printerState() != QPrinter::Error;
}

bool RichTextView::FindText(const QString& text, bool backward, bool matchCase)
{
  if (text.isEmpty())
    return false;
  QTextDocument::FindFlags flags;
  if (backward)
    flags |= QTextDocument::FindBackward;
  if (matchCase)
    flags |= QTextDocument::FindCaseSensitively;
  if (find(text, flags))
    return true;
  const QTextCursor keep = textCursor();
  moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
  if (find(text, flags))
    return true;
  setTextCursor(keep);
  return false;
}

void RichTextView::dragEnterEvent(QDragEnterEvent* event)
{
  if (!CTheView::LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    QPlainTextEdit::dragEnterEvent(event);
}

void RichTextView::dragMoveEvent(QDragMoveEvent* event)
{
  if (!CTheView::LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    QPlainTextEdit::dragMoveEvent(event);
}

void RichTextView::dropEvent(QDropEvent* event)
{
  const QStringList paths = CTheView::LocalFiles(event->mimeData());
  if (paths.isEmpty()) {
    QPlainTextEdit::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  emit filesDropped(paths);
}

} // namespace parlo
