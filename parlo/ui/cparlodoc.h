// The viewer's document: the text of one file, read in steps so the window stays responsive.
#pragma once

#include "logfilereader.h"
#include "textdecoder.h"

#include <QObject>
#include <QTextDocument>
#include <QTimer>

namespace parlo {

class ImageHandler;

// Owns the text document that the view shows. Opening a file reads it in chunks on the
// user-interface thread with the event loop running between chunks; files larger than the
// load limit show their last part. User-interface thread only.
class CParloDoc : public QObject
{
  Q_OBJECT
public:
  static constexpr qint64 kChunkBytes = 1024 * 1024;
  static constexpr qint64 kDefaultLoadLimit = 256LL * 1024 * 1024;
  static constexpr qint64 kRichTextLimit = 32LL * 1024 * 1024;

  explicit CParloDoc(QObject* parent = nullptr);
  ~CParloDoc() override;

  QTextDocument* Document() const { return m_pDocument; }
  const QString& PathName() const { return m_strPathName; }
  bool HasPath() const { return !m_strPathName.isEmpty(); }
  bool IsLoading() const { return m_loadTimer.isActive(); }
  bool IsRichText() const { return m_bRichText; }
  qint64 BinaryBytes() const { return m_decoder.BinaryBytes(); }
  bool LooksBinary() const { return m_decoder.LooksBinary(); }
  // Bytes skipped at the front of a file larger than the load limit.
  qint64 SkippedBytes() const { return m_nSkippedBytes; }

  // An empty, untitled document.
  void OnNewDocument();
  // Starts loading the file; the current text stays when the file cannot be opened.
  bool OnOpenDocument(const QString& path, QString* error);
  // Whether the file was plain text or rich text is decided by its name.
  static bool IsRichTextName(const QString& path);

  void SetLoadLimit(qint64 bytes) { m_nLoadLimit = bytes; }
  // Follow the file as it grows: check it every interval and append what was added.
  void SetFollow(bool follow, int intervalMs = 500);
  bool IsFollowing() const { return m_followTimer.isActive(); }
  // One check of the followed file (the timer calls it; tests call it directly).
  void PollFile();

signals:
  // The document was replaced by a fresh one (a new file, a reload); the old one is deleted
  // right after this signal.
  void documentChanged(QTextDocument* document);
  void loadProgress(qint64 bytesRead, qint64 bytesTotal);
  void loaded();
  void appended();
  void notice(const QString& text);
  void fileGone(const QString& path);

private:
  void Clear();
  void LoadStep();
  // Reads a rich-text file whole; false when it cannot be read or is too large to show.
  static bool ReadRichText(LogFileReader& reader, QByteArray* all, QString* error);
  void ShowRichText(const QByteArray& bytes);
  void AppendText(const QString& text);

  QTextDocument* m_pDocument = nullptr;
  ImageHandler* m_pImageHandler = nullptr;
  QString m_strPathName;
  LogFileReader m_reader;
  TextDecoder m_decoder;
  QTimer m_loadTimer;
  QTimer m_followTimer;
  qint64 m_nLoadTarget = 0;
  qint64 m_nLoadLimit = kDefaultLoadLimit;
  qint64 m_nSkippedBytes = 0;
  bool m_bSkipToLineStart = false;
  bool m_bRichText = false;
  bool m_bGoneReported = false;
};

} // namespace parlo
