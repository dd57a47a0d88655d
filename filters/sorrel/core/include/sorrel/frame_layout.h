// Byte layout of one frame in each of the six analysed formats, and sample access by position.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorrel {

enum class Layout { YUY2, UYVY, Y41P, IYUV, YV12, YVU9 };

// FOURCC codes as the first 32-bit word of a FOURCC-style subtype (little-endian characters).
constexpr uint32_t MakeFourcc(char a, char b, char c, char d)
{
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kFourccYUY2 = MakeFourcc('Y', 'U', 'Y', '2');
constexpr uint32_t kFourccUYVY = MakeFourcc('U', 'Y', 'V', 'Y');
constexpr uint32_t kFourccY41P = MakeFourcc('Y', '4', '1', 'P');
constexpr uint32_t kFourccIYUV = MakeFourcc('I', 'Y', 'U', 'V');
constexpr uint32_t kFourccI420 = MakeFourcc('I', '4', '2', '0');
constexpr uint32_t kFourccYV12 = MakeFourcc('Y', 'V', '1', '2');
constexpr uint32_t kFourccYVU9 = MakeFourcc('Y', 'V', 'U', '9');
constexpr uint32_t kFourccCAIT = MakeFourcc('C', 'A', 'I', 'T');

// Format codes the analysis dispatches on, besides the FOURCCs above.
constexpr uint32_t kFormatCodeNone = 0xCAFE;    // no input type accepted yet
constexpr uint32_t kFormatCodeUnnamed = 0xDEAD; // subtype accepted, dimensions don't fit

// The layout analysed for a format code; false for codes that are not analysed.
bool LayoutForFormatCode(uint32_t code, Layout* layout);
const char* LayoutName(Layout layout);
// Parses "YUY2", "UYVY", "Y41P", "IYUV", "I420", "YV12", "YVU9" (exact case).
bool ParseLayoutName(const char* name, Layout* layout);

// Where the rows of each component start in a buffer and how far apart they are, in bytes:
// index 0 luma, 1 Cb, 2 Cr. Packed layouts keep all three in one plane and use index 0 only.
struct PlaneLayout
{
  size_t offset[3] = {};
  size_t stride[3] = {};

  bool operator==(const PlaneLayout& other) const;
};

// Where each sample of a frame lives. Chroma samples are indexed on the chroma grid:
// column i covers luma columns i*ChromaStepX() .. +ChromaStepX()-1, likewise rows.
class FrameGeometry
{
public:
  // Rows without padding, planes one after the other.
  FrameGeometry(Layout layout, int width, int height);
  // Rows where `planes` puts them (a capture driver's or a video frame's strides).
  FrameGeometry(Layout layout, int width, int height, const PlaneLayout& planes);

  Layout layout() const { return m_layout; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  int ChromaStepX() const { return m_stepX; }
  int ChromaStepY() const { return m_stepY; }
  int ChromaWidth() const { return m_width / m_stepX; }
  int ChromaHeight() const { return m_height / m_stepY; }
  bool IsPacked() const;
  const PlaneLayout& planes() const { return m_planes; }
  // True when the rows lie as the plain constructor puts them.
  bool IsTight() const;
  // Bytes from the buffer's start to the end of the frame's last sample.
  size_t FrameSize() const;
  // Bytes of samples in one row of component c (packed: the whole unit row), and its rows.
  size_t RowBytes(int c) const;
  int Rows(int c) const { return c == 0 || IsPacked() ? m_height : ChromaHeight(); }
  // Components that have rows of their own: 1 for packed layouts, 3 for planar ones.
  int PlaneCount() const { return IsPacked() ? 1 : 3; }
  // Strides hold their rows; no frame is empty.
  bool StridesFit() const;

  size_t LumaOffset(int x, int y) const;
  size_t CbOffset(int i, int j) const;
  size_t CrOffset(int i, int j) const;

private:
  Layout m_layout;
  int m_width;
  int m_height;
  int m_stepX;
  int m_stepY;
  PlaneLayout m_planes;
};

// Copies the samples of every row from one geometry to another of the same layout and size;
// padding bytes of the target are left as they are.
void CopyRows(const FrameGeometry& from, const uint8_t* source, const FrameGeometry& to,
              uint8_t* target);

// A read-only frame; callers make sure size >= geometry.FrameSize().
struct FrameView
{
  FrameGeometry geometry;
  const uint8_t* data;

  int Luma(int x, int y) const { return data[geometry.LumaOffset(x, y)]; }
  int Cb(int i, int j) const { return data[geometry.CbOffset(i, j)]; }
  int Cr(int i, int j) const { return data[geometry.CrOffset(i, j)]; }
};

} // namespace sorrel
