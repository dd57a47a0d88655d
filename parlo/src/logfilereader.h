// Reads a log or results file that another program may still be writing.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace parlo {

// What happened to the file at the reader's path since it was opened.
enum class FileChange { None, Grown, Shrunk, Replaced, Gone };

// Opens the file read-only without any lock, so a file that the harness or a test program
// holds open for writing (even under an exclusive flock) can be read while it grows.
// Errors are returned as false/-1 with a text that names the path and the system's reason.
class LogFileReader
{
public:
  LogFileReader() = default;
  ~LogFileReader();
  LogFileReader(const LogFileReader&) = delete;
  LogFileReader& operator=(const LogFileReader&) = delete;
  // A file opened on the side can replace the current one only once it has proved readable.
  LogFileReader(LogFileReader&& other) noexcept;
  LogFileReader& operator=(LogFileReader&& other) noexcept;

  bool Open(const QString& path, QString* error);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  const QString& Path() const { return m_path; }

  // Reads at most maxBytes from the current offset; 0 at the end, -1 on error.
  qint64 Read(QByteArray& out, qint64 maxBytes, QString* error);
  // Reads at most maxBytes at the offset, leaving the current offset alone; fewer only at the
  // end of the file. Safe from any thread while the file is open.
  qint64 ReadAt(qint64 offset, char* data, qint64 maxBytes, QString* error) const;
  qint64 Offset() const { return m_nOffset; }
  void Seek(qint64 offset) { m_nOffset = offset; }
  // Size of the open file now; -1 on error.
  qint64 Size() const;
  // Compares the file now at the path with the open one and the bytes read so far.
  FileChange CheckPath() const;

private:
  int m_fd = -1;
  QString m_path;
  qint64 m_nOffset = 0;
  dev_t m_device = 0;
  ino_t m_inode = 0;
};

} // namespace parlo
