// Block-wise line reading: lines are views into the block unless they cross one.
#include "line_reader.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tallow {

namespace {
// Large enough that system calls do not matter, small enough to be cheap for short logs.
constexpr std::size_t kBlockSize = 64 * 1024;
} // namespace

bool SameFile(const std::string& a, const std::string& b)
{
  struct stat first
  {
  };
  struct stat second
  {
  };
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::FILE* OpenForReading(const std::string& path, std::string& error)
{
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat info
  {
  };
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    error = path + " is a folder, not a log";
    std::fclose(file);
    return nullptr;
  }
  return file;
}

LineReader::LineReader(std::FILE* stream)
    : m_stream(stream), m_block(new char[kBlockSize]), m_blockSize(kBlockSize)
{
}

bool LineReader::Fill()
{
  m_pos = 0;
  m_end = std::fread(m_block.get(), 1, m_blockSize, m_stream);
  if (m_end == 0 && std::ferror(m_stream)) {
    m_readFailed = true;
  }
  if (m_end > 0 && m_sink) {
    m_sink(m_block.get(), m_end);
  }
  return m_end > 0;
}

int LineReader::Peek()
{
  if (m_pos == m_end && !Fill()) {
    return EOF;
  }
  return static_cast<unsigned char>(m_block[m_pos]);
}

bool LineReader::Next(std::string_view& line, bool& endedByNewline)
{
  if (m_pos == m_end && !Fill()) {
    return false;
  }
  const char* start = m_block.get() + m_pos;
  const void* newline = std::memchr(start, '\n', m_end - m_pos);
  if (newline) {
    const std::size_t length = static_cast<const char*>(newline) - start;
    line = std::string_view(start, length);
    m_pos += length + 1;
    endedByNewline = true;
    return true;
  }
  // The line goes on in the next block(s).
  m_spanning.assign(start, m_end - m_pos);
  m_pos = m_end;
  while (Fill()) {
    const char* block = m_block.get();
    newline = std::memchr(block, '\n', m_end);
    if (newline) {
      const std::size_t length = static_cast<const char*>(newline) - block;
      m_spanning.append(block, length);
      m_pos = length + 1;
      line = m_spanning;
      endedByNewline = true;
      return true;
    }
    m_spanning.append(block, m_end);
    m_pos = m_end;
  }
  line = m_spanning;
  endedByNewline = false;
  return true;
}

} // namespace tallow
