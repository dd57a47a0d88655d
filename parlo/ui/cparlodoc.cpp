// Opening, indexing news from the worker, following, and the rich-text case of the document.
#include "cparlodoc.h"

#include "imagehandler.h"
#include "indexbuilder.h"
#include "lineindex.h"
#include "logfilereader.h"
#include "logtext.h"
#include "stringtable.h"
#include "textdecoder.h"

#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QTextDocument>
#include <QUrl>

#include <utility>

namespace parlo {

CParloDoc::CParloDoc(QObject* parent) : QObject(parent)
{
  connect(&m_followTimer, &QTimer::timeout, this, &CParloDoc::PollFile);
}

CParloDoc::~CParloDoc()
{
  // The worker reports to this object: it must be gone first.
  m_pBuilder.reset();
}

qint64 CParloDoc::BinaryBytes() const
{
  return m_pText ? m_pText->State().nonTextBytes : 0;
}

bool CParloDoc::LooksBinary() const
{
  return m_pText && TextDecoder::LooksBinary(m_pText->State().nonTextBytes, m_pText->State().end);
}

QTextDocument* CParloDoc::Clear()
{
  m_pBuilder.reset();
  ++m_nGeneration;
  m_pText.reset();
  m_pIndex.reset();
  m_pReader.reset();
  m_strPathName.clear();
  m_bLoading = m_bAppending = m_bGoneReported = false;
  return std::exchange(m_pRich, nullptr);
}

void CParloDoc::OnNewDocument()
{
  QTextDocument* old = Clear();
  emit documentChanged();
  delete old;
}

bool CParloDoc::IsRichTextName(const QString& path)
{
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("html") || suffix == QLatin1String("htm") ||
         suffix == QLatin1String("md");
}

bool CParloDoc::OnOpenDocument(const QString& path, QString* error)
{
  // The new file is opened (and rich text read whole) before the shown one is dropped, so a
  // file that cannot be read costs nothing of what is on the screen.
  const QString absolute = QFileInfo(path).absoluteFilePath();
  auto reader = std::make_shared<LogFileReader>();
  if (!reader->Open(absolute, error))
    return false;
  const bool richText = IsRichTextName(absolute);
  QByteArray richBytes;
  if (richText && !ReadRichText(*reader, &richBytes, error))
    return false;
  QTextDocument* old = Clear();
  m_strPathName = absolute;
  if (richText) {
    ShowRichText(richBytes);
  } else {
    const qint64 size = std::max<qint64>(reader->Size(), 0);
    // The reader's offset marks how far the document reaches, for telling growth apart.
    reader->Seek(size);
    m_pReader = std::move(reader);
    m_pIndex = std::make_shared<LineIndex>();
    m_pText = std::make_shared<LogText>(m_pReader, m_pIndex);
    m_pText->SetTarget(size);
    m_bLoading = true;
    const quint64 generation = m_nGeneration;
    m_pBuilder = std::make_unique<IndexBuilder>(m_pReader, m_pIndex, size, [this, generation] {
      QMetaObject::invokeMethod(
          this, [this, generation] { OnIndexed(generation); }, Qt::QueuedConnection);
    });
  }
  emit documentChanged();
  delete old;
  return true;
}

void CParloDoc::OnIndexed(quint64 generation)
{
  if (generation != m_nGeneration || !m_pBuilder)
    return;
  // Asked before the state is taken: everything published before the end is then in it.
  const bool done = m_pBuilder->IsDone();
  m_pText->Refresh();
  if (done) // what the file turned out to hold, should it have ended short of the target
    m_pText->SetTarget(m_pText->State().end);
  emit indexGrew();
  if (m_bLoading)
    emit loadProgress(m_pText->State().end, m_pText->Target());
  if (!done)
    return;
  const QString error = m_pBuilder->Error();
  if (!error.isEmpty())
    emit notice(error);
  if (std::exchange(m_bLoading, false))
    emit loaded();
  else if (std::exchange(m_bAppending, false))
    emit appended();
}

bool CParloDoc::ReadRichText(LogFileReader& reader, QByteArray* all, QString* error)
{
  QByteArray bytes;
  for (;;) {
    const qint64 got = reader.Read(bytes, kChunkBytes, error);
    if (got < 0)
      return false;
    if (got == 0)
      return true;
    *all += bytes;
    if (all->size() > kRichTextLimit) {
      if (error)
        *error =
            QStringLiteral("Cannot open %1: a rich-text document of more than %2 MB is too large "
                           "to show.")
                .arg(reader.Path())
                .arg(kRichTextLimit / (1024 * 1024));
      return false;
    }
  }
}

void CParloDoc::ShowRichText(const QByteArray& bytes)
{
  m_pRich = new QTextDocument(this);
  auto* layout = new QPlainTextDocumentLayout(m_pRich);
  m_pRich->setDocumentLayout(layout);
  layout->registerHandler(QTextFormat::ImageObject, new ImageHandler(m_pRich));
  // A viewer has nothing to undo.
  m_pRich->setUndoRedoEnabled(false);
  // Pictures named relative to the document are found beside it.
  const QUrl base = QUrl::fromLocalFile(QFileInfo(m_strPathName).absolutePath() + u'/');
  m_pRich->setBaseUrl(base);
  m_pRich->setMetaInformation(QTextDocument::DocumentUrl, base.toString());
  const QString text = QString::fromUtf8(bytes);
  if (m_strPathName.endsWith(QLatin1String(".md"), Qt::CaseInsensitive))
    m_pRich->setMarkdown(text);
  else
    m_pRich->setHtml(text);
  m_pRich->setModified(false);
  QTimer::singleShot(0, m_pRich, [this] { emit loaded(); });
}

void CParloDoc::SetFollow(bool follow, int intervalMs)
{
  if (follow)
    m_followTimer.start(intervalMs);
  else
    m_followTimer.stop();
}

void CParloDoc::PollFile()
{
  if (!m_pReader || IsLoading())
    return;
  switch (m_pReader->CheckPath()) {
  case FileChange::None:
    return;
  case FileChange::Gone:
    if (!m_bGoneReported) {
      m_bGoneReported = true;
      emit fileGone(m_strPathName);
    }
    return;
  case FileChange::Shrunk:
  case FileChange::Replaced: {
    // A new log under the old name (the harness cleared it): read it from the start.
    const QString path = m_strPathName;
    QString error;
    if (OnOpenDocument(path, &error))
      emit notice(ResourceLibrary::Instance().Format(IDS_FILE_REPLACED, path));
    else
      emit notice(error);
    return;
  }
  case FileChange::Grown: {
    m_bGoneReported = false;
    const qint64 size = m_pReader->Size();
    if (size < 0)
      return;
    m_pReader->Seek(size);
    m_pText->SetTarget(size);
    m_bAppending = true;
    m_pBuilder->IndexTo(size);
    return;
  }
  }
}

} // namespace parlo
