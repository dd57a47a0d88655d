// Raw and Y4M frame reading with every length checked before it is used.
#include "video_input.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace sorrel::tools {

bool ParseFrameRate(const std::string& text, FrameRate* rate)
{
  long long num = 0, den = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%lld/%lld%c", &num, &den, &tail) == 2) {
    if (num <= 0 || den <= 0 || num > 1000000000 || den > 1000000000) {
      return false;
    }
    *rate = {num, den};
    return true;
  }
  char* end = nullptr;
  errno = 0;
  const double fps = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != 0 || !(fps > 0) || fps > 1000) {
    return false;
  }
  if (std::fabs(fps - 29.97) < 0.005) {
    *rate = {30000, 1001};
  } else {
    *rate = {std::llround(fps * 1000), 1000};
  }
  return true;
}

FrameReader::~FrameReader()
{
  if (m_file && m_ownsFile) {
    std::fclose(m_file);
  }
}

bool FrameReader::ParseY4mHeader(const std::string& header, std::string* error)
{
  std::istringstream tokens(header);
  std::string token;
  tokens >> token; // the signature
  m_format = {};
  m_format.fourcc = kFourccI420;
  m_format.rate = {0, 0};
  while (tokens >> token) {
    const char tag = token[0];
    const std::string value = token.substr(1);
    if (tag == 'W') {
      m_format.width = std::atoi(value.c_str());
    } else if (tag == 'H') {
      m_format.height = std::atoi(value.c_str());
    } else if (tag == 'F') {
      long long num = 0, den = 0;
      if (std::sscanf(value.c_str(), "%lld:%lld", &num, &den) != 2 || num <= 0 || den <= 0 ||
          num > 1000000000 || den > 1000000000) {
        *error = "Y4M frame rate '" + value + "' is not valid";
        return false;
      }
      m_format.rate = {num, den};
    } else if (tag == 'C') {
      // Only 8-bit 4:2:0: "420p10" and the like carry two bytes a sample.
      static const char* const kEightBit420[] = {"420", "420jpeg", "420paldv", "420mpeg2"};
      if (std::find(std::begin(kEightBit420), std::end(kEightBit420), value) ==
          std::end(kEightBit420)) {
        *error = "Y4M colour space '" + value + "' is not supported (only 8-bit 4:2:0)";
        return false;
      }
    } else if (tag == 'I' && value != "p" && value != "?") {
      // Interlaced material is analysed as whole frames all the same.
    }
  }
  if (m_format.width <= 0 || m_format.height <= 0 || m_format.width > 16384 ||
      m_format.height > 16384) {
    *error = "Y4M header lacks a valid width and height";
    return false;
  }
  if (m_format.rate.num == 0) {
    m_format.rate = {30000, 1001};
  }
  return true;
}

bool FrameReader::Open(const std::string& path, const StreamFormat* raw, std::string* error)
{
  if (path == "-") {
    m_file = stdin;
  } else {
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
      *error = "cannot open " + path + ": " + std::strerror(errno);
      return false;
    }
    m_ownsFile = true;
  }
  char signature[10];
  const size_t got = std::fread(signature, 1, sizeof signature, m_file);
  if (got == sizeof signature && std::memcmp(signature, "YUV4MPEG2 ", 10) == 0) {
    std::string header(signature, sizeof signature);
    int c;
    while ((c = std::fgetc(m_file)) != EOF && c != '\n') {
      if (header.size() > 4096) {
        *error = "Y4M header is longer than 4096 bytes";
        return false;
      }
      header += char(c);
    }
    if (c != '\n') {
      *error = "Y4M header is not terminated";
      return false;
    }
    m_y4m = true;
    if (!ParseY4mHeader(header, error)) {
      return false;
    }
  } else {
    if (!raw) {
      *error = "raw input needs --format, --width and --height";
      return false;
    }
    m_format = *raw;
    m_pending.assign(signature, got);
  }
  Layout layout;
  if (!LayoutForFormatCode(m_format.fourcc == kFourccI420 ? kFourccIYUV : m_format.fourcc,
                           &layout)) {
    *error = "unknown format";
    return false;
  }
  m_frameSize = FrameGeometry(layout, m_format.width, m_format.height).FrameSize();
  if (m_frameSize == 0) {
    *error = "frame size is 0";
    return false;
  }
  return true;
}

bool FrameReader::CheckWholeFrames(const std::string& path, std::string* error) const
{
  struct stat info
  {
  };
  if (!m_y4m && path != "-" && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      size_t(info.st_size) % m_frameSize != 0) {
    *error = "file size " + std::to_string(info.st_size) + " is not a whole number of " +
             std::to_string(m_frameSize) + "-byte frames";
    return false;
  }
  return true;
}

int FrameReader::Next(uint8_t* frame, std::string* error)
{
  if (m_y4m) {
    char tag[5];
    const size_t got = std::fread(tag, 1, sizeof tag, m_file);
    if (got == 0) {
      return 0;
    }
    if (got != sizeof tag || std::memcmp(tag, "FRAME", 5) != 0) {
      *error = "Y4M frame header missing";
      return -1;
    }
    int c;
    size_t length = 0;
    while ((c = std::fgetc(m_file)) != EOF && c != '\n') {
      if (++length > 4096) {
        *error = "Y4M frame header is longer than 4096 bytes";
        return -1;
      }
    }
    if (c != '\n') {
      *error = "Y4M frame header is not terminated";
      return -1;
    }
  }
  size_t have = std::min(m_pending.size(), m_frameSize);
  std::memcpy(frame, m_pending.data(), have);
  m_pending.erase(0, have);
  have += std::fread(frame + have, 1, m_frameSize - have, m_file);
  if (have == 0 && !m_y4m) {
    return 0;
  }
  if (have != m_frameSize) {
    *error = "input ends inside a frame (" + std::to_string(have) + " of " +
             std::to_string(m_frameSize) + " bytes)";
    return -1;
  }
  return 1;
}

} // namespace sorrel::tools
