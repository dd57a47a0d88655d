// The view: default format, printing through a coloured copy, find and dropped files.
#include "ctheview.h"

#include "lineclassifier.h"
#include "linehighlighter.h"
#include "stringtable.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>
#include <optional>

namespace parlo {
namespace {

std::optional<CharFormat> g_processDefault;

} // namespace

CTheView::CTheView(QWidget* parent) : QPlainTextEdit(parent)
{
  // Lines are never wrapped at the window edge; long lines scroll horizontally.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::NoWrap);
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  ProcessDefault();
}

CharFormat& CTheView::ProcessDefault()
{
  if (!g_processDefault) {
    CharFormat format;
    format.faceName = LoadString(IDS_DEFAULT_FACE);
    format.heightTwips = 200;
    g_processDefault = format;
  }
  return *g_processDefault;
}

const CharFormat& CTheView::DefaultFormat()
{
  return ProcessDefault();
}

QStringList CTheView::LocalFiles(const QMimeData* mime)
{
  QStringList paths;
  if (!mime || !mime->hasUrls())
    return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile())
      paths.append(url.toLocalFile());
  }
  return paths;
}

QFont CTheView::FontFromFormat(const CharFormat& format)
{
  QFont font(format.faceName);
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(format.heightTwips / 20.0);
  font.setWeight(format.bold ? QFont::Bold : QFont::Normal);
  font.setItalic(format.italic);
  font.setUnderline(format.underline);
  font.setStrikeOut(format.strikeOut);
  return font;
}

void CTheView::SetDocument(QTextDocument* document)
{
  setDocument(document);
  if (!document->findChild<LineHighlighter*>())
    new LineHighlighter(document);
  ApplyDefaultFormat();
}

void CTheView::SetDefaultFormat(const CharFormat& format)
{
  ProcessDefault() = format;
  ApplyDefaultFormat();
}

void CTheView::ApplyDefaultFormat()
{
  const CharFormat& format = ProcessDefault();
  const QFont font = FontFromFormat(format);
  setFont(font);
  document()->setDefaultFont(font);
  QPalette colours = palette();
  const QPalette standard = QPalette();
  colours.setColor(QPalette::Text, format.colour ? QColor::fromRgb(*format.colour)
                                                 : standard.color(QPalette::Text));
  setPalette(colours);
  // Select the start, forget undo history, clear the modified flag.
  moveCursor(QTextCursor::Start);
  document()->clearUndoRedoStacks();
  document()->setModified(false);
}

void CTheView::CaretToEnd()
{
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
}

bool CTheView::Print(QPrinter* printer) const
{
  std::unique_ptr<QTextDocument> copy(document()->clone());
  const CharFormat& format = ProcessDefault();
  copy->setDefaultFont(FontFromFormat(format));
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
    QTextCharFormat marked;
    marked.setForeground(kind == LineKind::Failure ? LineHighlighter::FailureColour()
                                                   : LineHighlighter::WarningColour());
    line.mergeCharFormat(marked);
  }
  const double inches = kPrintMarginTwips / 1440.0;
  printer->setPageMargins(QMarginsF(inches, inches, inches, inches), QPageLayout::Inch);
  copy->print(printer);
  return printer->printerState() != QPrinter::Error;
}

bool CTheView::FindText(const QString& text, bool backward, bool matchCase)
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

void CTheView::dragEnterEvent(QDragEnterEvent* event)
{
  if (!LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    QPlainTextEdit::dragEnterEvent(event);
}

void CTheView::dragMoveEvent(QDragMoveEvent* event)
{
  if (!LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    QPlainTextEdit::dragMoveEvent(event);
}

void CTheView::dropEvent(QDropEvent* event)
{
  const QStringList paths = LocalFiles(event->mimeData());
  if (paths.isEmpty()) {
    QPlainTextEdit::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  emit filesDropped(paths);
}

} // namespace parlo
