// Region comparison and the two pattern searches.
#include "sorrel/pattern_search.h"

#include <cstdlib>

namespace sorrel {

const std::array<Sw2Region, 20> kSw2ColourRegions{{
    {2, 3, 8, {180, 44, 141}, 0, false},     {26, 3, 8, {144, 148, 53}, 0, false},
    {58, 3, 8, {37, 209, 115}, 0, false},    {90, 3, 8, {71, 104, 204}, 0, false},
    {2, 22, 8, {90, 180, 192}, 0, false},    {26, 22, 8, {123, 76, 65}, 0, false},
    {58, 22, 8, {71, 104, 204}, 0, false},   {90, 22, 8, {144, 148, 53}, 0, false},
    {616, 3, 8, {71, 104, 204}, 0, false},   {648, 3, 8, {123, 76, 65}, 0, false},
    {680, 3, 8, {37, 209, 115}, 0, false},   {712, 3, 4, {144, 148, 53}, 0, false},
    {616, 22, 8, {123, 76, 65}, 0, false},   {648, 22, 8, {90, 180, 192}, 0, false},
    {680, 22, 8, {180, 44, 141}, 0, false},  {712, 22, 4, {90, 180, 192}, 0, false},
    {8, 444, 8, {26, 167, 121}, 0, false},   {56, 444, 8, {35, 197, 115}, 0, false},
    {106, 444, 8, {44, 229, 110}, 0, false}, {580, 444, 8, {88, 99, 218}, 0, false},
}};

const std::array<Sw2Region, 6> kSw2GreyRegions{{
    {2, 54, 16, {136, 128, 128}, 0, false},
    {120, 2, 16, {136, 128, 128}, 0, false},
    {140, 288, 8, {18, 128, 128}, 3, false},
    {138, 276, 8, {36, 128, 128}, 0, false},
    {130, 224, 16, {102, 128, 128}, 0, false},
    {118, 215, 8, {131, 128, 128}, 0, true},
}};

const std::array<Sw2Region, 4> kSw2FrameRegions{{
    {236, 230, 16, {136, 128, 128}, 8, false},
    {316, 200, 16, {136, 128, 128}, 0, false},
    {408, 256, 16, {136, 128, 128}, 0, false},
    {434, 158, 16, {136, 128, 128}, 0, false},
}};

int SmpteColumn(int x, int width)
{
  return width * x / kReferenceWidth;
}

int Sw2ColourColumn(int x, int width)
{
  return (width * x + 360) / kReferenceWidth;
}

int Sw2ListColumn(const Sw2Region& region, int width)
{
  if (width == kReferenceWidth) {
    return region.x;
  }
  int x = (width * (region.x - region.xOffset) + 360) / kReferenceWidth;
  if (x > width - 8) {
    x -= 1;
  }
  return x;
}

bool RegionMatches(const FrameView& frame, int y, int x, int size, const Colour& reference,
                   const Tolerance& tolerance)
{
  const FrameGeometry& g = frame.geometry;
  if (x < 0 || y < 0 || size <= 0 || x + size > g.width() || y + size > g.height()) {
    return false;
  }
  if (g.layout() == Layout::Y41P && size > 16) {
    return false;
  }
  int lumaAbs = 0;
  int lumaSum = 0;
  for (int r = y; r < y + size; ++r) {
    for (int c = x; c < x + size; ++c) {
      const int d = frame.Luma(c, r) - reference.y;
      lumaAbs += std::abs(d);
      lumaSum += d;
    }
  }
  const int lumaCount = size * size;
  if (lumaAbs / lumaCount >= tolerance[0] || std::abs(lumaSum / lumaCount) >= tolerance[2]) {
    return false;
  }
  const int stepX = g.ChromaStepX();
  const int stepY = g.ChromaStepY();
  const int columns = size / stepX > 0 ? size / stepX : 1;
  const int rows = size / stepY > 0 ? size / stepY : 1;
  const int i0 = x / stepX;
  const int j0 = y / stepY;
  if (i0 + columns > g.ChromaWidth() || j0 + rows > g.ChromaHeight()) {
    return false;
  }
  int cbAbs = 0, cbSum = 0, crAbs = 0, crSum = 0;
  for (int j = j0; j < j0 + rows; ++j) {
    for (int i = i0; i < i0 + columns; ++i) {
      const int db = frame.Cb(i, j) - reference.cb;
      const int dr = frame.Cr(i, j) - reference.cr;
      cbAbs += std::abs(db);
      cbSum += db;
      crAbs += std::abs(dr);
      crSum += dr;
    }
  }
  const int chromaCount = columns * rows;
  return cbAbs / chromaCount < tolerance[3] && std::abs(cbSum / chromaCount) < tolerance[5] &&
         crAbs / chromaCount < tolerance[3] && std::abs(crSum / chromaCount) < tolerance[5];
}

int ClassifyFieldEdge(const FrameView& frame, int x, int y1, int y2, int threshold)
{
  const int span = std::abs(y2 - y1);
  if (span < 7) {
    return -1;
  }
  const int step = y2 > y1 ? 1 : -1;
  const int height = frame.geometry.height();
  for (int r = 0; r < span - 6; ++r) {
    const int base = y1 + r * step;
    const int last = base + 6 * step;
    if (base < 0 || base >= height || last < 0 || last >= height || x < 0 ||
        x >= frame.geometry.width()) {
      return 0;
    }
    auto p = [&](int k) { return frame.Luma(x, base + k * step); };
    const int m = (p(0) + p(1) + p(2)) / 3;
    const int c = p(3);
    const int ch = p(4);
    const int o = (p(5) + p(6)) / 2;
    if (std::abs(c - m) < threshold || std::abs(m - o) < threshold) {
      continue;
    }
    if (std::abs(m - ch) > threshold && std::abs(ch - o) < threshold) {
      return 1;
    }
    const bool between = m >= o ? (o < ch && ch < c) : (c < ch && ch < o);
    if (between) {
      return -3;
    }
    if (std::abs(m - ch) < threshold && std::abs(ch - o) > threshold) {
      return -2;
    }
  }
  return 0;
}

int CountRowEdges(const FrameView& frame, int y, int x0, int x1)
{
  const int samples = x1 - x0;
  if (samples < 2 || samples > 64 || x0 < 0 || x1 > frame.geometry.width() || y < 0 ||
      y >= frame.geometry.height()) {
    return -1;
  }
  int edges = 0;
  for (int x = x0; x + 1 < x1; ++x) {
    if (std::abs(frame.Luma(x + 1, y) - frame.Luma(x, y)) > kSw2DetailEdge) {
      ++edges;
    }
  }
  return edges;
}

namespace {

// -I block, then the seven bars; `mirrored` reads the picture right to left.
bool MatchSmpteLayout(const FrameView& frame, bool mirrored, uint32_t* flags)
{
  const int w = frame.geometry.width();
  const int h = frame.geometry.height();
  const int minusIColumn =
      mirrored ? w - SmpteColumn(kSmpteMinusIColumn, w) - 16 : SmpteColumn(kSmpteMinusIColumn, w);
  if (!RegionMatches(frame, kSmpteMinusIRow, minusIColumn, 16, kSmpteMinusI)) {
    if (!RegionMatches(frame, h - 396, minusIColumn, 16, kSmpteMinusI)) {
      return false;
    }
    *flags |= SMPTE_FLIPPED;
  }
  for (size_t k = 0; k < kSmpteBars.size(); ++k) {
    const Colour& reference = kSmpteBars[mirrored ? kSmpteBars.size() - 1 - k : k];
    if (!RegionMatches(frame, kSmpteBarRow, SmpteColumn(kSmpteBarCentres[k], w), 16, reference)) {
      return false;
    }
  }
  return true;
}

} // namespace

uint32_t SearchSmpte(const FrameView& frame)
{
  const int w = frame.geometry.width();
  const int h = frame.geometry.height();
  const Colour& cyan = kSmpteBars[2];
  uint32_t result = kSmpteTag;
  bool mirrored = false;
  if (RegionMatches(frame, kSmpteBarRow, SmpteColumn(256, w), 8, cyan)) {
    if (!MatchSmpteLayout(frame, false, &result)) {
      return kSmpteTag;
    }
    result |= SMPTE_FOUND;
  } else if (RegionMatches(frame, kSmpteBarRow, SmpteColumn(464, w), 8, cyan)) {
    if (!MatchSmpteLayout(frame, true, &result)) {
      return kSmpteTag;
    }
    result |= SMPTE_FOUND | SMPTE_MIRRORED;
    mirrored = true;
  } else {
    return result;
  }

  const bool flipped = (result & SMPTE_FLIPPED) != 0;
  const int y1 = flipped ? h - kFieldTestTop : kFieldTestTop;
  const int y2 = flipped ? h - kFieldTestBottom : kFieldTestBottom;
  int clean = 0, inverted = 0, soft = 0;
  for (int x = kFieldTestFirstColumn; x <= kFieldTestLastColumn; x += kFieldTestColumnStep) {
    const int column = SmpteColumn(mirrored ? kReferenceWidth - x : x, w);
    switch (ClassifyFieldEdge(frame, column, y1, y2, kFieldEdgeThreshold)) {
    case 1:
      ++clean;
      break;
    case -2:
      ++inverted;
      break;
    case -3:
      ++soft;
      break;
    default:
      break;
    }
  }
  if (inverted > kFieldsSwappedAbove) {
    result |= SMPTE_FIELDS_SWAPPED;
  } else if (clean + soft < kEdgeColumnsNeeded) {
    result = (result & ~SMPTE_FOUND) | SMPTE_NO_EDGE;
  }
  if (clean < soft) {
    result |= SMPTE_SOFT_EDGES;
  }
  return result;
}

namespace {

template <size_t N>
int CountRegionList(const FrameView& frame, const std::array<Sw2Region, N>& list, bool listColumns,
                    const Tolerance& tolerance)
{
  const int w = frame.geometry.width();
  int count = 0;
  for (const Sw2Region& region : list) {
    const int x = listColumns ? Sw2ListColumn(region, w) : Sw2ColourColumn(region.x, w);
    const Tolerance& used = region.alwaysLoose ? kToleranceLoose : tolerance;
    if (!RegionMatches(frame, region.y, x, region.size, region.reference, used)) {
      break;
    }
    ++count;
  }
  return count;
}

} // namespace

uint32_t SearchSw2(const FrameView& frame)
{
  // Each later pass asks for every area of its list.
  const int allColour = int(kSw2ColourRegions.size());
  const int allGrey = int(kSw2GreyRegions.size());
  const int colour = CountRegionList(frame, kSw2ColourRegions, false, kToleranceDefault);
  if (colour < kSw2ColourAreasToFind) {
    return kSw2Tag;
  }
  if (colour < allColour) {
    return kSw2Tag | SW2_FOUND | SW2_LEVEL_FAIL;
  }
  if (CountRegionList(frame, kSw2ColourRegions, false, kToleranceLumaTight) < allColour) {
    return kSw2Tag | SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK;
  }
  if (CountRegionList(frame, kSw2GreyRegions, true, kToleranceDefault) < allGrey) {
    return kSw2Tag | SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK;
  }
  if (CountRegionList(frame, kSw2GreyRegions, true, kToleranceTight) < allGrey) {
    return kSw2Tag | SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK |
           SW2_BW_COARSE_OK;
  }
  const uint32_t levelsOk =
      SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK | SW2_BW_COARSE_OK | SW2_BW_FINE_OK;
  if (CountRegionList(frame, kSw2FrameRegions, true, kToleranceDefault) <
      int(kSw2FrameRegions.size())) {
    return kSw2Tag | SW2_FOUND | SW2_DETAIL_FAIL | SW2_CHECK_FRAME | levelsOk;
  }
  const int w = frame.geometry.width();
  const int x0 = Sw2ColourColumn(kSw2DetailX0, w);
  const int x1 = Sw2ColourColumn(kSw2DetailX1, w);
  for (int y : kSw2DetailRows) {
    if (CountRowEdges(frame, y, x0, x1) <= kSw2DetailEdgesMissing) {
      return kSw2Tag | SW2_FOUND | SW2_DETAIL_FAIL | levelsOk;
    }
  }
  return kSw2Tag | SW2_FOUND | levelsOk | SW2_DETAIL_OK;
}

} // namespace sorrel
