// Text window with CR LF counting and a limit.
#include "limitededit.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

namespace harness {

CLimitedEdit::CLimitedEdit(int childId, std::size_t limit, QWidget* parent)
    : QPlainTextEdit(parent), m_nChildId(childId), m_nLimit(limit)
{
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setObjectName(QString::number(childId));
  setUndoRedoEnabled(false);
}

std::size_t CLimitedEdit::TextLength() const
{
  // Every block but the last ends in a break that counts as CR and LF.
  const QTextDocument* doc = document();
  return static_cast<std::size_t>(doc->characterCount() - 1 + doc->blockCount() - 1);
}

void CLimitedEdit::RemoveHead(std::size_t count)
{
  // Walk blocks to turn a CR LF count into a document position.
  std::size_t counted = 0;
  int position = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    std::size_t length = static_cast<std::size_t>(block.length() - 1);
    if (counted + length >= count || !block.next().isValid()) {
      position += static_cast<int>(std::min(count - counted, length));
      break;
    }
    counted += length + 2;
    position += block.length();
    if (counted >= count)
      break;
  }
  QTextCursor cursor(document());
  cursor.setPosition(0);
  cursor.setPosition(position, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

void CLimitedEdit::AppendText(const std::string& text)
{
  QString added = QString::fromStdString(text);
  added.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  std::size_t length = TextLength();
  if (length >= m_nLimit)
    return;
  std::size_t room = m_nLimit - length;
  // Each line feed stands for two characters.
  std::size_t needed = static_cast<std::size_t>(added.size()) + added.count(QLatin1Char('\n'));
  if (needed > room) {
    std::size_t used = 0;
    qsizetype keep = 0;
    while (keep < added.size()) {
      std::size_t cost = added[keep] == QLatin1Char('\n') ? 2 : 1;
      if (used + cost > room)
        break;
      used += cost;
      ++keep;
    }
    added.truncate(keep);
  }
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(added);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void CLimitedEdit::ClearText()
{
  clear();
}

void CLimitedEdit::contextMenuEvent(QContextMenuEvent* event)
{
  QMenu* menu = createStandardContextMenu(event->pos());
  if (m_pContextAction != nullptr) {
    menu->addSeparator();
    menu->addAction(m_pContextAction);
  }
  menu->exec(event->globalPos());
  delete menu;
}

} // namespace harness
