// Drawing of the test pictures. Areas that the searches read are drawn at exactly the
// positions the searches compute, so a picture matches at every width the searches accept.
#include "sorrel/pattern_renderer.h"

#include <algorithm>
#include <cstring>

namespace sorrel {

namespace {
uint8_t Clamp(int v)
{
  return uint8_t(std::clamp(v, 16, 240));
}
} // namespace

PatternImage::PatternImage(const FrameGeometry& geometry)
    : m_geometry(geometry), m_luma(size_t(geometry.width()) * geometry.height(), 128),
      m_cb(size_t(geometry.ChromaWidth()) * geometry.ChromaHeight(), 128), m_cr(m_cb)
{
}

void PatternImage::Fill(const Colour& colour)
{
  std::fill(m_luma.begin(), m_luma.end(), Clamp(colour.y));
  std::fill(m_cb.begin(), m_cb.end(), Clamp(colour.cb));
  std::fill(m_cr.begin(), m_cr.end(), Clamp(colour.cr));
}

void PatternImage::SetLuma(int x, int y, int value)
{
  if (x >= 0 && y >= 0 && x < m_geometry.width() && y < m_geometry.height()) {
    m_luma[size_t(y) * m_geometry.width() + x] = Clamp(value);
  }
}

void PatternImage::SetChroma(int i, int j, int cb, int cr)
{
  if (i >= 0 && j >= 0 && i < m_geometry.ChromaWidth() && j < m_geometry.ChromaHeight()) {
    const size_t at = size_t(j) * m_geometry.ChromaWidth() + i;
    m_cb[at] = Clamp(cb);
    m_cr[at] = Clamp(cr);
  }
}

int PatternImage::Luma(int x, int y) const
{
  return m_luma[size_t(y) * m_geometry.width() + x];
}

std::vector<uint8_t> PatternImage::Pack() const
{
  const FrameGeometry& g = m_geometry;
  std::vector<uint8_t> out(g.FrameSize());
  for (int y = 0; y < g.height(); ++y) {
    for (int x = 0; x < g.width(); ++x) {
      out[g.LumaOffset(x, y)] = m_luma[size_t(y) * g.width() + x];
    }
  }
  for (int j = 0; j < g.ChromaHeight(); ++j) {
    for (int i = 0; i < g.ChromaWidth(); ++i) {
      const size_t at = size_t(j) * g.ChromaWidth() + i;
      out[g.CbOffset(i, j)] = m_cb[at];
      out[g.CrOffset(i, j)] = m_cr[at];
    }
  }
  return out;
}

namespace {

constexpr Colour kBlack{16, 128, 128};
constexpr Colour kWhite{197, 128, 128};
constexpr Colour kPlusQ{35, 174, 152};

struct SmpteRows
{
  int barEnd;   // first row below the bars
  int stripEnd; // first row of the bottom section
};

SmpteRows RowsFor(int height)
{
  // At 480 lines the bars end on an odd line, so that swapped fields show at the edge.
  return {height * 321 / 480, height * 360 / 480};
}

Colour StripColour(int bar)
{
  static constexpr int kUnder[7] = {6, -1, 4, -1, 2, -1, 0};
  return kUnder[bar] < 0 ? kBlack : kSmpteBars[size_t(kUnder[bar])];
}

// Colour of the upright picture at (x, y).
Colour SmpteColourAt(int x, int y, int width, int height, const SmpteOptions& options)
{
  const SmpteRows rows = RowsFor(height);
  const int bar = std::min(6, x * 7 / width);
  if (y < rows.barEnd || (options.noEdge && y < rows.stripEnd)) {
    return kSmpteBars[size_t(bar)];
  }
  if (y < rows.stripEnd) {
    const Colour upper = kSmpteBars[size_t(bar)];
    const Colour lower = StripColour(bar);
    // Two graded lines instead of a step: the first still far from the bar, the second
    // between it and the strip, which the field-order test reads as a soft edge.
    if (options.softEdges && y == rows.barEnd) {
      return {upper.y - (upper.y - lower.y) * 47 / 100, lower.cb, lower.cr};
    }
    if (options.softEdges && y == rows.barEnd + 1) {
      return {lower.y + (upper.y - lower.y) * 48 / 100, lower.cb, lower.cr};
    }
    return lower;
  }
  if (x < width * 5 / 28) {
    return kSmpteMinusI;
  }
  if (x < width * 10 / 28) {
    return kWhite;
  }
  if (x < width * 15 / 28) {
    return kPlusQ;
  }
  return kBlack;
}

// Maps a position of the delivered picture to the upright picture.
void Upright(int* x, int* y, int width, int height, const SmpteOptions& options)
{
  if (options.fieldsSwapped && (*y ^ 1) < height) {
    *y ^= 1;
  }
  if (options.flipped) {
    *y = height - 1 - *y;
  }
  if (options.mirrored) {
    *x = width - 1 - *x;
  }
}

} // namespace

PatternImage RenderSmpte(const FrameGeometry& geometry, const SmpteOptions& options)
{
  PatternImage image(geometry);
  const int w = geometry.width();
  const int h = geometry.height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int ux = x, uy = y;
      Upright(&ux, &uy, w, h, options);
      image.SetLuma(x, y, SmpteColourAt(ux, uy, w, h, options).y);
    }
  }
  for (int j = 0; j < geometry.ChromaHeight(); ++j) {
    for (int i = 0; i < geometry.ChromaWidth(); ++i) {
      int ux = i * geometry.ChromaStepX(), uy = j * geometry.ChromaStepY();
      Upright(&ux, &uy, w, h, options);
      const Colour c = SmpteColourAt(ux, uy, w, h, options);
      image.SetChroma(i, j, c.cb, c.cr);
    }
  }
  return image;
}

namespace {

void PaintRegion(PatternImage& image, int x, int y, int size, const Colour& colour, bool withChroma)
{
  for (int r = y; r < y + size; ++r) {
    for (int c = x; c < x + size; ++c) {
      image.SetLuma(c, r, colour.y);
    }
  }
  if (!withChroma) {
    return;
  }
  const FrameGeometry& g = image.geometry();
  const int columns = std::max(1, size / g.ChromaStepX());
  const int rows = std::max(1, size / g.ChromaStepY());
  for (int j = y / g.ChromaStepY(); j < y / g.ChromaStepY() + rows; ++j) {
    for (int i = x / g.ChromaStepX(); i < x / g.ChromaStepX() + columns; ++i) {
      image.SetChroma(i, j, colour.cb, colour.cr);
    }
  }
}

} // namespace

PatternImage RenderSw2(const FrameGeometry& geometry, const Sw2Options& options)
{
  PatternImage image(geometry);
  // A dark neutral background that none of the grey or frame marks would accept.
  image.Fill({60, 128, 128});
  const int w = geometry.width();
  const int firstColourError = int(kSw2ColourRegions.size()) - options.colourErrorRegions;
  for (size_t k = 0; k < kSw2ColourRegions.size(); ++k) {
    const Sw2Region& region = kSw2ColourRegions[k];
    Colour colour = region.reference;
    if (int(k) >= firstColourError) {
      colour.y += options.colourLumaError;
    }
    PaintRegion(image, Sw2ColourColumn(region.x, w), region.y, region.size, colour, true);
  }
  for (const Sw2Region& region : kSw2GreyRegions) {
    Colour colour = region.reference;
    if (!region.alwaysLoose) {
      colour.y += options.greyLumaError;
    }
    PaintRegion(image, Sw2ListColumn(region, w), region.y, region.size, colour, false);
  }
  if (options.frameMarks) {
    for (const Sw2Region& region : kSw2FrameRegions) {
      PaintRegion(image, Sw2ListColumn(region, w), region.y, region.size, region.reference, false);
    }
  }
  if (options.detail) {
    const int x0 = Sw2ColourColumn(kSw2DetailX0, w);
    const int x1 = Sw2ColourColumn(kSw2DetailX1, w);
    for (int y = kSw2DetailRows.front() - 2; y <= kSw2DetailRows.back() + 2; ++y) {
      for (int x = x0; x < x1; ++x) {
        image.SetLuma(x, y, (x - x0) / 2 % 2 == 0 ? 40 : 200);
      }
    }
  }
  return image;
}

PatternImage RenderFlat(const FrameGeometry& geometry, const Colour& colour)
{
  PatternImage image(geometry);
  image.Fill(colour);
  return image;
}

void WriteFrame(const std::vector<uint8_t>& frame, uint8_t* buffer, size_t size,
                const std::vector<ByteRange>& unwritten)
{
  const size_t total = std::min(frame.size(), size);
  std::vector<ByteRange> skip = unwritten;
  std::sort(skip.begin(), skip.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
  size_t at = 0;
  for (const ByteRange& range : skip) {
    const size_t start = std::min(range.offset, total);
    if (start > at) {
      std::memcpy(buffer + at, frame.data() + at, start - at);
    }
    at = std::max(at, start + std::min(range.length, total - start));
  }
  if (at < total) {
    std::memcpy(buffer + at, frame.data() + at, total - at);
  }
}

} // namespace sorrel
