// Reads a file as lines of any length, in large blocks.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tallow {

// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

// Opens a file for reading; null (and why in error) when it cannot be opened or is a folder.
std::FILE* OpenForReading(const std::string& path, std::string& error);

class LineReader
{
public:
  // The stream stays the caller's.
  explicit LineReader(std::FILE* stream);

  // The next line without its "\n" (a "\r" before it stays); false at the end of the stream.
  // endedByNewline is false only for a last line that has no line end.
  bool Next(std::string_view& line, bool& endedByNewline);

  // The next byte without consuming it; EOF at the end.
  int Peek();

  bool ReadFailed() const { return m_readFailed; }

  // Receives every block as it is read, so a caller can copy the stream without reading twice.
  void SetBlockSink(std::function<void(const char*, std::size_t)> sink)
  {
    m_sink = std::move(sink);
  }

private:
  bool Fill();

  std::FILE* m_stream;
  std::unique_ptr<char[]> m_block; // not zeroed: only bytes read are looked at
  std::size_t m_blockSize;
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  std::string m_spanning; // a line that crosses blocks
  bool m_readFailed = false;
  std::function<void(const char*, std::size_t)> m_sink;
};

} // namespace tallow
