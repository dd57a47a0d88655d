// The viewer's document: a plain-text file indexed in the background, or a rich-text document.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QTextDocument;

namespace parlo {

class IndexBuilder;
class LineIndex;
class LogFileReader;
class LogText;

// A plain-text file is shown while its line index is built on a worker thread; nothing of it
// is held in memory but the index and what the view reads for the screen. An .html, .htm or
// .md file is read whole into a rich-text document. The file stays open, without locks, so a
// file that another program is still writing can be viewed and followed.
// User-interface thread only.
class CParloDoc : public QObject
{
  Q_OBJECT
public:
  static constexpr qint64 kChunkBytes = 1024 * 1024;
  static constexpr qint64 kRichTextLimit = 32LL * 1024 * 1024;

  explicit CParloDoc(QObject* parent = nullptr);
  ~CParloDoc() override;

  // The lines of an open plain-text file; null for rich text and for an untitled document.
  // Shared with the view, which may keep it while a search reads the file.
  const std::shared_ptr<LogText>& Text() const { return m_pText; }
  // The document of a rich-text file; null otherwise.
  QTextDocument* RichDocument() const { return m_pRich; }
  const QString& PathName() const { return m_strPathName; }
  bool HasPath() const { return !m_strPathName.isEmpty(); }
  // The first index of the file is still being built.
  bool IsLoading() const { return m_bLoading; }
  bool IsRichText() const { return m_pRich != nullptr; }
  qint64 BinaryBytes() const;
  bool LooksBinary() const;

  // An empty, untitled document.
  void OnNewDocument();
  // Opens the file and starts indexing it; the current document stays when it cannot be opened.
  bool OnOpenDocument(const QString& path, QString* error);
  // Whether the file was plain text or rich text is decided by its name.
  static bool IsRichTextName(const QString& path);

  // Follow the file as it grows: check it every interval and take in what was added.
  void SetFollow(bool follow, int intervalMs = 500);
  bool IsFollowing() const { return m_followTimer.isActive(); }
  // One check of the followed file (the timer calls it; tests call it directly).
  void PollFile();

signals:
  // The document now holds another file (or none); the view shows it afresh.
  void documentChanged();
  // The index reaches further: more lines, a longer last line.
  void indexGrew();
  void loadProgress(qint64 bytesRead, qint64 bytesTotal);
  // The first index of a file is complete.
  void loaded();
  // What a followed file gained is indexed.
  void appended();
  void notice(const QString& text);
  void fileGone(const QString& path);

private:
  // Drops the current file; the caller emits documentChanged once the new one is set up, and
  // deletes the old rich-text document (returned) after that.
  QTextDocument* Clear();
  void OnIndexed(quint64 generation);
  // Reads a rich-text file whole; false when it cannot be read or is too large to show.
  static bool ReadRichText(LogFileReader& reader, QByteArray* all, QString* error);
  void ShowRichText(const QByteArray& bytes);

  QTextDocument* m_pRich = nullptr;
  QString m_strPathName;
  std::shared_ptr<LogFileReader> m_pReader;
  std::shared_ptr<LineIndex> m_pIndex;
  std::shared_ptr<LogText> m_pText;
  std::unique_ptr<IndexBuilder> m_pBuilder;
  QTimer m_followTimer;
  // Counts the files opened, so news from a worker of a file since closed is ignored.
  quint64 m_nGeneration = 0;
  bool m_bLoading = false;
  bool m_bAppending = false;
  bool m_bGoneReported = false;
};

} // namespace parlo
