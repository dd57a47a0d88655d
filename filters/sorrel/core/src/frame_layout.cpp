// Sample offsets of the packed and planar layouts.
#include "sorrel/frame_layout.h"

#include <cstring>

namespace sorrel {

bool LayoutForFormatCode(uint32_t code, Layout* layout)
{
  switch (code) {
  case kFourccYUY2:
    *layout = Layout::YUY2;
    return true;
  case kFourccUYVY:
    *layout = Layout::UYVY;
    return true;
  case kFourccY41P:
    *layout = Layout::Y41P;
    return true;
  case kFourccIYUV:
    *layout = Layout::IYUV;
    return true;
  case kFourccYV12:
    *layout = Layout::YV12;
    return true;
  case kFourccYVU9:
    *layout = Layout::YVU9;
    return true;
  default:
    return false;
  }
}

const char* LayoutName(Layout layout)
{
  switch (layout) {
  case Layout::YUY2:
    return "YUY2";
  case Layout::UYVY:
    return "UYVY";
  case Layout::Y41P:
    return "Y41P";
  case Layout::IYUV:
    return "IYUV";
  case Layout::YV12:
    return "YV12";
  case Layout::YVU9:
    return "YVU9";
  }
  return "?";
}

bool ParseLayoutName(const char* name, Layout* layout)
{
  static const struct
  {
    const char* name;
    Layout layout;
  } names[] = {{"YUY2", Layout::YUY2}, {"UYVY", Layout::UYVY}, {"Y41P", Layout::Y41P},
               {"IYUV", Layout::IYUV}, {"I420", Layout::IYUV}, {"YV12", Layout::YV12},
               {"YVU9", Layout::YVU9}};
  for (const auto& entry : names) {
    if (std::strcmp(entry.name, name) == 0) {
      *layout = entry.layout;
      return true;
    }
  }
  return false;
}

FrameGeometry::FrameGeometry(Layout layout, int width, int height)
    : m_layout(layout), m_width(width), m_height(height)
{
  switch (layout) {
  case Layout::YUY2:
  case Layout::UYVY:
    m_stepX = 2;
    m_stepY = 1;
    break;
  case Layout::Y41P:
    m_stepX = 4;
    m_stepY = 1;
    break;
  case Layout::IYUV:
  case Layout::YV12:
    m_stepX = 2;
    m_stepY = 2;
    break;
  case Layout::YVU9:
    m_stepX = 4;
    m_stepY = 4;
    break;
  }
}

size_t FrameGeometry::FrameSize() const
{
  const size_t w = size_t(m_width);
  const size_t h = size_t(m_height);
  switch (m_layout) {
  case Layout::YUY2:
  case Layout::UYVY:
    return w * h * 2;
  case Layout::Y41P:
    return w / 8 * 12 * h;
  default:
    return w * h + 2 * size_t(ChromaWidth()) * size_t(ChromaHeight());
  }
}

size_t FrameGeometry::LumaOffset(int x, int y) const
{
  switch (m_layout) {
  case Layout::YUY2:
    return (size_t(y) * m_width + x) * 2;
  case Layout::UYVY:
    return (size_t(y) * m_width + x) * 2 + 1;
  case Layout::Y41P: {
    static constexpr uint8_t kLumaByte[8] = {1, 3, 5, 7, 8, 9, 10, 11};
    return size_t(y) * (m_width / 8 * 12) + size_t(x / 8) * 12 + kLumaByte[x % 8];
  }
  default:
    return size_t(y) * m_width + x;
  }
}

size_t FrameGeometry::CbOffset(int i, int j) const
{
  const size_t luma = size_t(m_width) * m_height;
  const size_t chroma = size_t(ChromaWidth()) * ChromaHeight();
  const size_t at = size_t(j) * ChromaWidth() + i;
  switch (m_layout) {
  case Layout::YUY2:
    return (size_t(j) * m_width) * 2 + size_t(i) * 4 + 1;
  case Layout::UYVY:
    return (size_t(j) * m_width) * 2 + size_t(i) * 4;
  case Layout::Y41P:
    return size_t(j) * (m_width / 8 * 12) + size_t(i / 2) * 12 + (i % 2) * 4;
  case Layout::IYUV:
    return luma + at;
  case Layout::YV12:
  case Layout::YVU9:
    return luma + chroma + at;
  }
  return 0;
}

size_t FrameGeometry::CrOffset(int i, int j) const
{
  const size_t luma = size_t(m_width) * m_height;
  const size_t chroma = size_t(ChromaWidth()) * ChromaHeight();
  const size_t at = size_t(j) * ChromaWidth() + i;
  switch (m_layout) {
  case Layout::YUY2:
    return (size_t(j) * m_width) * 2 + size_t(i) * 4 + 3;
  case Layout::UYVY:
    return (size_t(j) * m_width) * 2 + size_t(i) * 4 + 2;
  case Layout::Y41P:
    return size_t(j) * (m_width / 8 * 12) + size_t(i / 2) * 12 + (i % 2) * 4 + 2;
  case Layout::IYUV:
    return luma + chroma + at;
  case Layout::YV12:
  case Layout::YVU9:
    return luma + at;
  }
  return 0;
}

} // namespace sorrel
