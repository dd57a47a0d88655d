// Sample offsets of the packed and planar layouts.
#include "sorrel/frame_layout.h"

#include <algorithm>
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

bool PlaneLayout::operator==(const PlaneLayout& other) const
{
  for (int c = 0; c < 3; ++c) {
    if (offset[c] != other.offset[c] || stride[c] != other.stride[c]) {
      return false;
    }
  }
  return true;
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
  // Tight rows; planar chroma follows the luma plane in the layout's order.
  const size_t luma = RowBytes(0) * size_t(std::max(height, 0));
  const size_t chroma = RowBytes(1) * size_t(std::max(ChromaHeight(), 0));
  for (int c = 0; c < 3; ++c) {
    m_planes.stride[c] = RowBytes(c);
  }
  if (!IsPacked()) {
    const bool uFirst = layout == Layout::IYUV;
    m_planes.offset[1] = luma + (uFirst ? 0 : chroma);
    m_planes.offset[2] = luma + (uFirst ? chroma : 0);
  }
}

FrameGeometry::FrameGeometry(Layout layout, int width, int height, const PlaneLayout& planes)
    : FrameGeometry(layout, width, height)
{
  m_planes = planes;
  if (IsPacked()) {
    for (int c = 1; c < 3; ++c) {
      m_planes.offset[c] = planes.offset[0];
      m_planes.stride[c] = planes.stride[0];
    }
  }
}

bool FrameGeometry::IsPacked() const
{
  return m_layout == Layout::YUY2 || m_layout == Layout::UYVY || m_layout == Layout::Y41P;
}

bool FrameGeometry::IsTight() const
{
  return m_planes == FrameGeometry(m_layout, m_width, m_height).m_planes;
}

size_t FrameGeometry::RowBytes(int c) const
{
  const size_t w = size_t(std::max(m_width, 0));
  switch (m_layout) {
  case Layout::YUY2:
  case Layout::UYVY:
    return w * 2;
  case Layout::Y41P:
    return w / 8 * 12;
  default:
    return c == 0 ? w : size_t(std::max(ChromaWidth(), 0));
  }
}

bool FrameGeometry::StridesFit() const
{
  if (m_width <= 0 || m_height <= 0 || ChromaWidth() <= 0 || ChromaHeight() <= 0) {
    return false;
  }
  for (int c = 0; c < PlaneCount(); ++c) {
    if (m_planes.stride[c] < RowBytes(c)) {
      return false;
    }
  }
  return true;
}

size_t FrameGeometry::FrameSize() const
{
  size_t end = 0;
  for (int c = 0; c < PlaneCount(); ++c) {
    const int rows = Rows(c);
    if (rows > 0) {
      end = std::max(end, m_planes.offset[c] + m_planes.stride[c] * size_t(rows - 1) + RowBytes(c));
    }
  }
  return end;
}

size_t FrameGeometry::LumaOffset(int x, int y) const
{
  const size_t row = m_planes.offset[0] + size_t(y) * m_planes.stride[0];
  switch (m_layout) {
  case Layout::YUY2:
    return row + size_t(x) * 2;
  case Layout::UYVY:
    return row + size_t(x) * 2 + 1;
  case Layout::Y41P: {
    static constexpr uint8_t kLumaByte[8] = {1, 3, 5, 7, 8, 9, 10, 11};
    return row + size_t(x / 8) * 12 + kLumaByte[x % 8];
  }
  default:
    return row + size_t(x);
  }
}

size_t FrameGeometry::CbOffset(int i, int j) const
{
  const size_t row = m_planes.offset[1] + size_t(j) * m_planes.stride[1];
  switch (m_layout) {
  case Layout::YUY2:
    return row + size_t(i) * 4 + 1;
  case Layout::UYVY:
    return row + size_t(i) * 4;
  case Layout::Y41P:
    return row + size_t(i / 2) * 12 + (i % 2) * 4;
  default:
    return row + size_t(i);
  }
}

size_t FrameGeometry::CrOffset(int i, int j) const
{
  const size_t row = m_planes.offset[2] + size_t(j) * m_planes.stride[2];
  switch (m_layout) {
  case Layout::YUY2:
    return row + size_t(i) * 4 + 3;
  case Layout::UYVY:
    return row + size_t(i) * 4 + 2;
  case Layout::Y41P:
    return row + size_t(i / 2) * 12 + (i % 2) * 4 + 2;
  default:
    return row + size_t(i);
  }
}

void CopyRows(const FrameGeometry& from, const uint8_t* source, const FrameGeometry& to,
              uint8_t* target)
{
  for (int c = 0; c < from.PlaneCount(); ++c) {
    const size_t bytes = from.RowBytes(c);
    for (int r = 0; r < from.Rows(c); ++r) {
      std::memcpy(target + to.planes().offset[c] + size_t(r) * to.planes().stride[c],
                  source + from.planes().offset[c] + size_t(r) * from.planes().stride[c], bytes);
    }
  }
}

} // namespace sorrel
