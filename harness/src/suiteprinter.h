// Printing a suite window's list: the suite's name over a table of the four columns, one row
// per test case in list order.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QVector>

class QPrinter;

namespace harness {

class CSuitePrinter
{
public:
  CSuitePrinter(const QString& title, const QStringList& headers, const QVector<QStringList>& rows);

  // The page contents; the text of every cell is kept as it is (no markup).
  const QTextDocument& Document() const { return m_document; }
  void Print(QPrinter* printer);

private:
  QTextDocument m_document;
};

} // namespace harness
