// The suite list as a printed table.
#include "suiteprinter.h"

#include <QPrinter>
#include <QTextCursor>
#include <QTextTable>
#include <QTextTableFormat>

namespace harness {

CSuitePrinter::CSuitePrinter(const QString& title, const QStringList& headers,
                             const QVector<QStringList>& rows)
{
  QTextCursor cursor(&m_document);
  QTextCharFormat heading;
  heading.setFontWeight(QFont::Bold);
  heading.setFontPointSize(14);
  cursor.insertText(title, heading);
  cursor.insertBlock();
  QTextTableFormat format;
  format.setHeaderRowCount(1);
  format.setCellPadding(3);
  format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
  QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()) + 1,
                                         static_cast<int>(headers.size()), format);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  for (int column = 0; column < headers.size(); ++column)
    table->cellAt(0, column).firstCursorPosition().insertText(headers[column], bold);
  for (int row = 0; row < rows.size(); ++row)
    for (int column = 0; column < headers.size() && column < rows[row].size(); ++column)
      table->cellAt(row + 1, column).firstCursorPosition().insertText(rows[row][column]);
}

void CSuitePrinter::Print(QPrinter* printer)
{
  m_document.print(printer);
}

} // namespace harness
