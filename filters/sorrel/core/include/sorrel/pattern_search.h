// Searches for the SMPTE colour bars and the SW2 pattern in a 480-line frame. The region
// tables are public so that the pattern renderer draws exactly what the searches read.
#pragma once

#include "sorrel/frame_layout.h"

#include <array>
#include <cstdint>

namespace sorrel {

constexpr uint32_t kSmpteTag = 0xBEEF0000;
constexpr uint32_t SMPTE_FOUND = 0x01;
constexpr uint32_t SMPTE_MIRRORED = 0x02;
constexpr uint32_t SMPTE_FLIPPED = 0x04;
constexpr uint32_t SMPTE_FIELDS_SWAPPED = 0x08;
constexpr uint32_t SMPTE_NO_EDGE = 0x10;
constexpr uint32_t SMPTE_SOFT_EDGES = 0x20;

constexpr uint32_t kSw2Tag = 0xFEED0000;
constexpr uint32_t SW2_FOUND = 0x01;
constexpr uint32_t SW2_DETAIL_FAIL = 0x02;
constexpr uint32_t SW2_LEVEL_FAIL = 0x04;
constexpr uint32_t SW2_CHECK_FRAME = 0x08;
constexpr uint32_t SW2_COLOR_COARSE_OK = 0x10;
constexpr uint32_t SW2_COLOR_FINE_OK = 0x20;
constexpr uint32_t SW2_BW_COARSE_OK = 0x40;
constexpr uint32_t SW2_BW_FINE_OK = 0x80;
constexpr uint32_t SW2_DETAIL_OK = 0x100;

constexpr bool SmptePresent(uint32_t result)
{
  return (result & 0xFFFF0000) == kSmpteTag;
}
constexpr bool Sw2Present(uint32_t result)
{
  return (result & 0xFFFF0000) == kSw2Tag;
}

struct Colour
{
  int y, cb, cr;
};

// Limits: [0] mean |dY|, [2] |mean dY|, [3] mean |dC|, [5] |mean dC|; [1], [4] unused.
using Tolerance = std::array<int, 6>;
constexpr Tolerance kToleranceDefault{30, 100, 30, 30, 100, 30};
constexpr Tolerance kToleranceLumaTight{30, 100, 15, 30, 100, 30};
constexpr Tolerance kToleranceTight{30, 100, 15, 30, 100, 10};
constexpr Tolerance kToleranceLoose{45, 150, 45, 45, 150, 45};

constexpr int kPatternHeight = 480;
constexpr int kPatternMinWidth = 320;
constexpr int kReferenceWidth = 720;

// SMPTE bars, left to right, and the -I block.
constexpr std::array<int, 7> kSmpteBarCentres{48, 152, 256, 360, 464, 568, 672};
constexpr std::array<Colour, 7> kSmpteBars{{{197, 128, 128},
                                            {176, 43, 142},
                                            {144, 152, 51},
                                            {121, 74, 64},
                                            {91, 180, 192},
                                            {70, 104, 204},
                                            {36, 210, 114}}};
constexpr Colour kSmpteMinusI{43, 154, 108};
constexpr int kSmpteBarRow = 170;
constexpr int kSmpteMinusIRow = 380;
constexpr int kSmpteMinusIColumn = 64;
constexpr int kFieldTestTop = 310;
constexpr int kFieldTestBottom = 342;
constexpr int kFieldEdgeThreshold = 72;
// The field-order test walks seven columns; more than five inverted edges mean swapped
// fields, fewer than six clean or soft ones mean no edge at all.
constexpr int kFieldTestFirstColumn = 142;
constexpr int kFieldTestLastColumn = 166;
constexpr int kFieldTestColumnStep = 4;
constexpr int kFieldsSwappedAbove = 5;
constexpr int kEdgeColumnsNeeded = 6;

struct Sw2Region
{
  int x, y, size;
  Colour reference;
  int xOffset;      // subtracted before scaling at other widths (grey and frame lists)
  bool alwaysLoose; // judged with the loose tolerance in every pass
};
extern const std::array<Sw2Region, 20> kSw2ColourRegions;
extern const std::array<Sw2Region, 6> kSw2GreyRegions;
extern const std::array<Sw2Region, 4> kSw2FrameRegions;
constexpr std::array<int, 8> kSw2DetailRows{58, 63, 68, 73, 78, 83, 88, 93};
constexpr int kSw2DetailX0 = 56;
constexpr int kSw2DetailX1 = 112;
constexpr int kSw2DetailEdge = 60;
// SW2 counts as found when this many colour areas match; each detail row needs more edges
// than kSw2DetailEdgesMissing.
constexpr int kSw2ColourAreasToFind = 18;
constexpr int kSw2DetailEdgesMissing = 4;

// Column positions at width w.
int SmpteColumn(int x, int width);
int Sw2ColourColumn(int x, int width);
int Sw2ListColumn(const Sw2Region& region, int width); // grey and frame lists

// Compares a size x size region at (x, y) and the chroma samples covering it with a
// reference. A region reaching outside the frame never matches.
bool RegionMatches(const FrameView& frame, int y, int x, int size, const Colour& reference,
                   const Tolerance& tolerance = kToleranceDefault);

// 1 clean edge, -3 soft edge, -2 inverted fields, 0 none, -1 rows too close.
int ClassifyFieldEdge(const FrameView& frame, int x, int y1, int y2, int threshold);

// Adjacent luma pairs of row y in [x0, x1) differing by more than the edge limit; -1 when
// the span has fewer than 2 or more than 64 samples.
int CountRowEdges(const FrameView& frame, int y, int x0, int x1);

// Both return a tagged result; callers only search frames of 480 lines and width >= 320.
uint32_t SearchSmpte(const FrameView& frame);
uint32_t SearchSw2(const FrameView& frame);

} // namespace sorrel
