// Prints rows of a plain-text log, page by page, without holding more than a row in memory.
#pragma once

#include "fontarithmetic.h"

#include <QtGlobal>

#include <functional>

class QPrinter;

namespace parlo {

class LogText;

// Paper shows what the window shows: the default format's font and colour, failure and
// warning rows in their colours. Rows longer than the page is wide go on over the next lines
// (paper does not scroll sideways); each page has its number at the foot, right.
class LogPrinter
{
public:
  // Gets how far the print is, in percent; false cancels it.
  using Progress = std::function<bool(int percent)>;

  LogPrinter(const LogText& text, const CharFormat& format);

  // Prints bytes [from, to) of the file with 720-twip margins, only the pages in the printer's
  // page range. False when the printer reported an error. A cancelled print stops and aborts
  // the job where the printer can (a PDF file keeps the pages done).
  bool Print(QPrinter* printer, qint64 from, qint64 to, const Progress& progress = {});

  // Of the last print: pages laid out, pages printed, rows of the file, lines on paper.
  int Pages() const { return m_nPages; }
  int PrintedPages() const { return m_nPrintedPages; }
  qint64 Rows() const { return m_nRows; }
  qint64 Lines() const { return m_nLines; }

private:
  const LogText& m_text;
  CharFormat m_format;
  int m_nPages = 0;
  int m_nPrintedPages = 0;
  qint64 m_nRows = 0;
  qint64 m_nLines = 0;
};

} // namespace parlo
