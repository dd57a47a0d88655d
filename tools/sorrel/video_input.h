// Frame sources of the sorrel command-line tools: raw frames of a named layout, or Y4M.
#pragma once

#include "sorrel/frame_layout.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace sorrel::tools {

struct FrameRate
{
  int64_t num = 30000;
  int64_t den = 1001;
};

// "30000/1001", "25" or "29.97" (which means 30000/1001).
bool ParseFrameRate(const std::string& text, FrameRate* rate);

struct StreamFormat
{
  uint32_t fourcc = 0; // subtype word of the frames
  int width = 0;
  int height = 0;
  FrameRate rate;
};

// Reads frames one after the other from a file or standard input ("-").
class FrameReader
{
public:
  ~FrameReader();
  // Opens path; a stream that starts with the Y4M signature describes itself, otherwise
  // `raw` must give the format. False with a message on any problem.
  bool Open(const std::string& path, const StreamFormat* raw, std::string* error);
  const StreamFormat& format() const { return m_format; }
  size_t frameSize() const { return m_frameSize; }
  // A raw file must hold whole frames; checked once the format has been accepted.
  bool CheckWholeFrames(const std::string& path, std::string* error) const;
  // 1 a frame was read, 0 clean end of input, -1 an error (message in error).
  int Next(uint8_t* frame, std::string* error);

private:
  bool ParseY4mHeader(const std::string& header, std::string* error);

  FILE* m_file = nullptr;
  bool m_ownsFile = false;
  bool m_y4m = false;
  StreamFormat m_format;
  size_t m_frameSize = 0;
  std::string m_pending; // bytes read while looking for the signature
};

} // namespace sorrel::tools
