// CFile over a POSIX file descriptor, and CMemFile over bytes in memory.
#include "plinth/file.h"

#include "platform/fdio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CFile::~CFile()
{
  if (m_fd >= 0) {
    ::close(m_fd);
  }
}

bool CFile::Open(const std::string& path, unsigned flags)
{
  Close();
  m_strPath = path;
  m_nLastError = 0;
  int oflags = O_CLOEXEC;
  if (flags & modeReadWrite) {
    oflags |= O_RDWR;
  } else if (flags & modeWrite) {
    oflags |= O_WRONLY;
  } else {
    oflags |= O_RDONLY;
  }
  if (flags & modeCreate) {
    oflags |= O_CREAT; // truncated only once the lock is held
  }
  int fd = ::open(path.c_str(), oflags, 0666);
  if (fd < 0) {
    m_nLastError = errno;
    return false;
  }
  // Readers that deny writers hold a shared lock; writers take an exclusive one, so the two
  // keep each other out.
  const bool writing = (flags & (modeWrite | modeReadWrite)) != 0;
  if (writing || (flags & shareDenyWrite)) {
    if (::flock(fd, (writing ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      m_nLastError = errno;
      ::close(fd);
      return false;
    }
  }
  if ((flags & modeCreate) && ::ftruncate(fd, 0) != 0) {
    m_nLastError = errno;
    ::close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

void CFile::Close()
{
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

size_t CFile::Read(void* buffer, size_t count)
{
  if (m_fd < 0) {
    m_nLastError = EBADF;
    return 0;
  }
  for (;;) {
    ssize_t n = ::read(m_fd, buffer, count);
    if (n >= 0) {
      return static_cast<size_t>(n);
    }
    if (errno != EINTR) {
      m_nLastError = errno;
      return 0;
    }
  }
}

bool CFile::Write(const void* buffer, size_t count)
{
  if (m_fd < 0) {
    m_nLastError = EBADF;
    return false;
  }
  if (int error = platform::WriteAll(m_fd, buffer, count)) {
    m_nLastError = error;
    return false;
  }
  return true;
}

uint64_t CFile::GetLength() const
{
  struct stat st
  {
  };
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
    return 0;
  }
  return static_cast<uint64_t>(st.st_size);
}

CMemFile::CMemFile(const void* data, size_t size)
    : m_pBorrowed(static_cast<const uint8_t*>(data)), m_nBorrowed(size)
{
}

size_t CMemFile::Read(void* buffer, size_t count)
{
  const uint8_t* data = m_pBorrowed ? m_pBorrowed : m_written.data();
  const size_t size = m_pBorrowed ? m_nBorrowed : m_written.size();
  const size_t n = std::min(count, size - m_nReadPos);
  if (n > 0) {
    std::memcpy(buffer, data + m_nReadPos, n);
  }
  m_nReadPos += n;
  return n;
}

bool CMemFile::Write(const void* buffer, size_t count)
{
  if (m_pBorrowed) {
    m_nLastError = EBADF; // borrowed bytes are read-only
    return false;
  }
  const uint8_t* p = static_cast<const uint8_t*>(buffer);
  m_written.insert(m_written.end(), p, p + count);
  return true;
}

uint64_t CMemFile::GetLength() const
{
  return m_pBorrowed ? m_nBorrowed : m_written.size();
}
