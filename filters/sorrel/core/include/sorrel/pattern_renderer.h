// Test pictures for the analysis: SMPTE bars (with orientation and edge faults on request),
// the SW2 pattern with chosen level and detail faults, and flat grey, in any of the six
// layouts; and a writer that fills a recycled buffer while leaving chosen bytes untouched.
#pragma once

#include "sorrel/frame_layout.h"
#include "sorrel/pattern_search.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorrel {

// A picture as a luma plane and Cb/Cr planes on the layout's chroma grid.
class PatternImage
{
public:
  explicit PatternImage(const FrameGeometry& geometry);

  const FrameGeometry& geometry() const { return m_geometry; }
  void Fill(const Colour& colour);
  void SetLuma(int x, int y, int value);
  void SetChroma(int i, int j, int cb, int cr);
  int Luma(int x, int y) const;

  // The frame's bytes in its layout (FrameSize() bytes).
  std::vector<uint8_t> Pack() const;

private:
  FrameGeometry m_geometry;
  std::vector<uint8_t> m_luma;
  std::vector<uint8_t> m_cb;
  std::vector<uint8_t> m_cr;
};

struct SmpteOptions
{
  bool mirrored = false;      // left-right
  bool flipped = false;       // upside down
  bool fieldsSwapped = false; // each pair of lines exchanged
  bool softEdges = false;     // the bar bottom fades over two lines
  bool noEdge = false;        // bars run down into the lower strip without an edge
};

struct Sw2Options
{
  int colourLumaError = 0; // added to the luma of the last colourErrorRegions colour areas
  int colourErrorRegions = 20;
  int greyLumaError = 0;  // added to the grey areas judged with the tight tolerance
  bool detail = true;     // the fine vertical stripes read by the detail test
  bool frameMarks = true; // the four marks that identify the right frame of the sequence
};

PatternImage RenderSmpte(const FrameGeometry& geometry, const SmpteOptions& options = {});
PatternImage RenderSw2(const FrameGeometry& geometry, const Sw2Options& options = {});
PatternImage RenderFlat(const FrameGeometry& geometry, const Colour& colour = {128, 128, 128});

struct ByteRange
{
  size_t offset;
  size_t length;
};

// Copies frame into buffer (min of both sizes) except the bytes of `unwritten`, which keep
// whatever the buffer held, as a capture driver that dropped those samples would leave them.
void WriteFrame(const std::vector<uint8_t>& frame, uint8_t* buffer, size_t size,
                const std::vector<ByteRange>& unwritten = {});

} // namespace sorrel
