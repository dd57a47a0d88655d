// Step-wise loading, following and the rich-text case of the viewer's document.
#include "cparlodoc.h"

#include "imagehandler.h"
#include "stringtable.h"

#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QUrl>

#include <utility>

namespace parlo {

CParloDoc::CParloDoc(QObject* parent) : QObject(parent)
{
  m_loadTimer.setInterval(0);
  connect(&m_loadTimer, &QTimer::timeout, this, &CParloDoc::LoadStep);
  connect(&m_followTimer, &QTimer::timeout, this, &CParloDoc::PollFile);
  Clear();
}

CParloDoc::~CParloDoc()
{
  delete m_pDocument;
}

void CParloDoc::Clear()
{
  m_loadTimer.stop();
  m_reader.Close();
  m_decoder.Reset();
  m_nSkippedBytes = 0;
  m_bSkipToLineStart = false;
  m_bGoneReported = false;
  m_bRichText = false;
  // A fresh document per file: the view is handed the new one by the frame.
  QTextDocument* old = m_pDocument;
  m_pDocument = new QTextDocument(this);
  auto* layout = new QPlainTextDocumentLayout(m_pDocument);
  m_pDocument->setDocumentLayout(layout);
  m_pImageHandler = new ImageHandler(m_pDocument);
  layout->registerHandler(QTextFormat::ImageObject, m_pImageHandler);
  // A viewer has nothing to undo, and an undo stack would double the memory of a large log.
  m_pDocument->setUndoRedoEnabled(false);
  emit documentChanged(m_pDocument);
  delete old;
}

void CParloDoc::OnNewDocument()
{
  Clear();
  m_strPathName.clear();
  m_pDocument->setModified(false);
}

bool CParloDoc::IsRichTextName(const QString& path)
{
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("html") || suffix == QLatin1String("htm") ||
         suffix == QLatin1String("md");
}

bool CParloDoc::OnOpenDocument(const QString& path, QString* error)
{
  // The new file is opened (and rich text read whole) before the shown text is dropped, so a
  // file that cannot be read costs nothing of what is on the screen.
  const QString absolute = QFileInfo(path).absoluteFilePath();
  LogFileReader reader;
  if (!reader.Open(absolute, error))
    return false;
  const bool richText = IsRichTextName(absolute);
  QByteArray richBytes;
  if (richText && !ReadRichText(reader, &richBytes, error))
    return false;
  Clear();
  m_reader = std::move(reader);
  m_strPathName = absolute;
  if (richText) {
    ShowRichText(richBytes);
    return true;
  }

  m_nLoadTarget = m_reader.Size();
  if (m_nLoadTarget > m_nLoadLimit) {
    // The end of a log matters most: show the last part, starting at a line start.
    m_nSkippedBytes = m_nLoadTarget - m_nLoadLimit;
    m_reader.Seek(m_nSkippedBytes);
    m_bSkipToLineStart = true;
    emit notice(ResourceLibrary::Instance().Format(IDS_TRUNCATED,
                                                   QString::number(m_nLoadTarget / (1024 * 1024)),
                                                   QString::number(m_nLoadLimit / (1024 * 1024))));
  }
  m_loadTimer.start();
  return true;
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
  m_bRichText = true;
  // Pictures named relative to the document are found beside it.
  const QUrl base = QUrl::fromLocalFile(QFileInfo(m_strPathName).absolutePath() + u'/');
  m_pDocument->setBaseUrl(base);
  m_pDocument->setMetaInformation(QTextDocument::DocumentUrl, base.toString());
  const QString text = QString::fromUtf8(bytes);
  if (m_strPathName.endsWith(QLatin1String(".md"), Qt::CaseInsensitive))
    m_pDocument->setMarkdown(text);
  else
    m_pDocument->setHtml(text);
  m_pDocument->setModified(false);
  QTimer::singleShot(0, this, [this] { emit loaded(); });
}

void CParloDoc::AppendText(const QString& text)
{
  if (text.isEmpty())
    return;
  QTextCursor cursor(m_pDocument);
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
}

void CParloDoc::LoadStep()
{
  const qint64 remaining = m_nLoadTarget - m_reader.Offset();
  QByteArray bytes;
  QString error;
  const qint64 got =
      remaining > 0 ? m_reader.Read(bytes, std::min(remaining, kChunkBytes), &error) : 0;
  if (got < 0) {
    m_loadTimer.stop();
    emit notice(error);
    emit loaded();
    return;
  }
  if (m_bSkipToLineStart && got > 0) {
    const qsizetype lineEnd = bytes.indexOf('\n');
    if (lineEnd < 0) {
      bytes.clear();
    } else {
      bytes.remove(0, lineEnd + 1);
      m_bSkipToLineStart = false;
    }
  }
  AppendText(m_decoder.Decode(bytes));
  emit loadProgress(m_reader.Offset() - m_nSkippedBytes, m_nLoadTarget - m_nSkippedBytes);
  if (got == 0 || m_reader.Offset() >= m_nLoadTarget) {
    m_loadTimer.stop();
    AppendText(m_decoder.Finish());
    m_pDocument->setModified(false);
    emit loaded();
  }
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
  if (!HasPath() || IsLoading() || m_bRichText)
    return;
  switch (m_reader.CheckPath()) {
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
    QByteArray bytes;
    QString error;
    qint64 got = 0;
    // A few chunks per check keep the window responsive when a lot was added at once.
    for (int step = 0; step < 8 && (got = m_reader.Read(bytes, kChunkBytes, &error)) > 0; ++step)
      AppendText(m_decoder.Decode(bytes));
    if (got < 0)
      emit notice(error);
    m_pDocument->setModified(false);
    emit appended();
    return;
  }
  }
}

} // namespace parlo
