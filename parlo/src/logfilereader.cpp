// POSIX file access for the viewer: no locks, positional reads, replacement detection.
#include "logfilereader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace parlo {
namespace {

QString SystemReason(int error)
{
  return QString::fromLocal8Bit(std::strerror(error));
}

void SetError(QString* error, const QString& text)
{
  if (error)
    *error = text;
}

} // namespace

LogFileReader::~LogFileReader()
{
  Close();
}

LogFileReader::LogFileReader(LogFileReader&& other) noexcept
{
  *this = std::move(other);
}

LogFileReader& LogFileReader::operator=(LogFileReader&& other) noexcept
{
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
    m_path = std::move(other.m_path);
    m_nOffset = std::exchange(other.m_nOffset, 0);
    m_device = other.m_device;
    m_inode = other.m_inode;
  }
  return *this;
}

bool LogFileReader::Open(const QString& path, QString* error)
{
  Close();
  const QByteArray native = path.toLocal8Bit();
  // Non-blocking, so a named pipe with no writer is refused below instead of hanging the window.
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetError(error, QStringLiteral("Cannot open %1: %2.").arg(path, SystemReason(errno)));
    return false;
  }
  struct stat info
  {
  };
  if (::fstat(fd, &info) != 0) {
    const int saved = errno;
    ::close(fd);
    SetError(error, QStringLiteral("Cannot open %1: %2.").arg(path, SystemReason(saved)));
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    SetError(error, QStringLiteral("Cannot open %1: it is not a regular file.").arg(path));
    return false;
  }
  m_fd = fd;
  m_path = path;
  m_nOffset = 0;
  m_device = info.st_dev;
  m_inode = info.st_ino;
  return true;
}

void LogFileReader::Close()
{
  if (m_fd >= 0)
    ::close(m_fd);
  m_fd = -1;
  m_nOffset = 0;
}

qint64 LogFileReader::Read(QByteArray& out, qint64 maxBytes, QString* error)
{
  out.resize(maxBytes);
  const qint64 got = ReadAt(m_nOffset, out.data(), maxBytes, error);
  out.resize(std::max<qint64>(got, 0));
  if (got > 0)
    m_nOffset += got;
  return got;
}

qint64 LogFileReader::ReadAt(qint64 offset, char* data, qint64 maxBytes, QString* error) const
{
  if (m_fd < 0) {
    SetError(error, QStringLiteral("No file is open."));
    return -1;
  }
  qint64 total = 0;
  while (total < maxBytes) {
    const ssize_t got =
        ::pread(m_fd, data + total, static_cast<size_t>(maxBytes - total), offset + total);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      SetError(error, QStringLiteral("Cannot read %1: %2.").arg(m_path, SystemReason(errno)));
      return -1;
    }
    if (got == 0)
      break;
    total += got;
  }
  return total;
}

qint64 LogFileReader::Size() const
{
  struct stat info
  {
  };
  if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
    return -1;
  return info.st_size;
}

FileChange LogFileReader::CheckPath() const
{
  struct stat info
  {
  };
  if (::stat(m_path.toLocal8Bit().constData(), &info) != 0)
    return FileChange::Gone;
  if (m_fd < 0 || info.st_dev != m_device || info.st_ino != m_inode)
    return FileChange::Replaced;
  if (info.st_size < m_nOffset)
    return FileChange::Shrunk;
  if (info.st_size > m_nOffset)
    return FileChange::Grown;
  return FileChange::None;
}

} // namespace parlo
