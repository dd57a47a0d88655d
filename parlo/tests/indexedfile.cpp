// Scans the way the worker does: what a read leaves over (a CR at its end) is read again.
#include "indexedfile.h"

#include "logfilereader.h"
#include "tempfiles.h"

#include <gtest/gtest.h>

namespace parlo::test {

IndexedFile::IndexedFile(const QString& name, const QByteArray& bytes, CheckpointSpacing spacing)
    : m_pIndex(std::make_shared<LineIndex>(spacing)), m_scanner(spacing),
      m_pReader(std::make_shared<LogFileReader>())
{
  EXPECT_TRUE(m_pReader->Open(WriteFile(name, bytes), nullptr));
  m_pText = std::make_shared<LogText>(m_pReader, m_pIndex);
  m_pText->SetTarget(bytes.size());
}

void IndexedFile::ScanTo(qint64 end, qint64 step)
{
  std::vector<Checkpoint> found;
  QByteArray bytes(step + 1, Qt::Uninitialized);
  for (qint64 at = m_scanner.State().end; at < end;) {
    const qint64 got = m_pReader->ReadAt(at, bytes.data(), std::min(step + 1, end - at), nullptr);
    const qsizetype taken = m_scanner.Scan(bytes.constData(), got, &found);
    if (taken == 0)
      break;
    at += taken;
  }
  m_pIndex->Publish(found, m_scanner.State());
  m_pText->Refresh();
}

} // namespace parlo::test
