// A file whose line index the test builds on its own thread, as far as it likes: the window's
// view of a file while the worker is part way through it.
#pragma once

#include "linescanner.h"
#include "logtext.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace parlo::test {

class IndexedFile
{
public:
  // Writes the bytes to a test file; the text's target is the whole file.
  IndexedFile(const QString& name, const QByteArray& bytes, CheckpointSpacing spacing = {});

  // Scans the file up to `end` bytes, in reads of `step` bytes, and refreshes the text.
  void ScanTo(qint64 end, qint64 step = 1000);
  LogText& Text() { return *m_pText; }
  const std::shared_ptr<LogText>& Shared() const { return m_pText; }

private:
  std::shared_ptr<LineIndex> m_pIndex;
  LineScanner m_scanner;
  std::shared_ptr<LogFileReader> m_pReader;
  std::shared_ptr<LogText> m_pText;
};

} // namespace parlo::test
