// The SMPTE and SW2 searches on rendered pictures, in every layout and at several widths.
#include "sorrel/pattern_renderer.h"
#include "sorrel/pattern_search.h"

#include <gtest/gtest.h>

#include <string>

namespace sorrel {
namespace {

constexpr Layout kLayouts[] = {Layout::YUY2, Layout::UYVY, Layout::Y41P,
                               Layout::IYUV, Layout::YV12, Layout::YVU9};

struct Picture
{
  explicit Picture(const PatternImage& image)
      : bytes(image.Pack()), view{image.geometry(), bytes.data()}
  {
  }
  std::vector<uint8_t> bytes;
  FrameView view;
};

std::string Trace(const FrameGeometry& geometry, const char* name)
{
  return std::string(LayoutName(geometry.layout())) + " " + std::to_string(geometry.width()) + " " +
         name;
}

// Every layout at the widths the searches scale to (Y41P needs a multiple of 8), 480 rows.
template <typename Check> void ForEachSearchedGeometry(const Check& check)
{
  for (Layout layout : kLayouts) {
    for (int width : {720, 640, 352}) {
      if (layout != Layout::Y41P || width % 8 == 0) {
        check(FrameGeometry(layout, width, 480));
      }
    }
  }
}

TEST(PatternSearchTest, SmpteOrientationAndEdges)
{
  struct Case
  {
    const char* name;
    SmpteOptions options;
    uint32_t expected;
  };
  const Case cases[] = {
      {"upright", {}, SMPTE_FOUND},
      {"mirrored", {.mirrored = true}, SMPTE_FOUND | SMPTE_MIRRORED},
      {"flipped", {.flipped = true}, SMPTE_FOUND | SMPTE_FLIPPED},
      {"mirrored and flipped",
       {.mirrored = true, .flipped = true},
       SMPTE_FOUND | SMPTE_MIRRORED | SMPTE_FLIPPED},
      {"fields swapped", {.fieldsSwapped = true}, SMPTE_FOUND | SMPTE_FIELDS_SWAPPED},
      {"soft edges", {.softEdges = true}, SMPTE_FOUND | SMPTE_SOFT_EDGES},
      {"no edge", {.noEdge = true}, SMPTE_NO_EDGE},
  };
  ForEachSearchedGeometry([&](const FrameGeometry& geometry) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Trace(geometry, c.name));
      const Picture picture(RenderSmpte(geometry, c.options));
      EXPECT_EQ(SearchSmpte(picture.view), kSmpteTag | c.expected);
    }
  });
}

TEST(PatternSearchTest, SmpteAbsent)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    const FrameGeometry geometry(layout, 720, 480);
    EXPECT_EQ(SearchSmpte(Picture(RenderFlat(geometry)).view), kSmpteTag);
    EXPECT_EQ(SearchSmpte(Picture(RenderSw2(geometry)).view), kSmpteTag);
  }
}

TEST(PatternSearchTest, Sw2LevelsAndDetail)
{
  const uint32_t levels =
      SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK | SW2_BW_COARSE_OK | SW2_BW_FINE_OK;
  struct Case
  {
    const char* name;
    Sw2Options options;
    uint32_t expected;
  };
  const Case cases[] = {
      {"all correct", {}, SW2_FOUND | levels | SW2_DETAIL_OK},
      {"slight colour error",
       {.colourLumaError = 20},
       SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK},
      {"two colour areas far off",
       {.colourLumaError = 45, .colourErrorRegions = 2},
       SW2_FOUND | SW2_LEVEL_FAIL},
      {"three colour areas far off", {.colourLumaError = 45, .colourErrorRegions = 3}, 0},
      {"slight b/w error",
       {.greyLumaError = 20},
       SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK | SW2_BW_COARSE_OK},
      {"large b/w error",
       {.greyLumaError = -40},
       SW2_FOUND | SW2_LEVEL_FAIL | SW2_COLOR_COARSE_OK | SW2_COLOR_FINE_OK},
      {"wrong frame",
       {.frameMarks = false},
       SW2_FOUND | SW2_DETAIL_FAIL | SW2_CHECK_FRAME | levels},
      {"no detail", {.detail = false}, SW2_FOUND | SW2_DETAIL_FAIL | levels},
  };
  ForEachSearchedGeometry([&](const FrameGeometry& geometry) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Trace(geometry, c.name));
      const Picture picture(RenderSw2(geometry, c.options));
      EXPECT_EQ(SearchSw2(picture.view), kSw2Tag | c.expected);
    }
  });
}

TEST(PatternSearchTest, Sw2Absent)
{
  for (Layout layout : kLayouts) {
    SCOPED_TRACE(LayoutName(layout));
    const FrameGeometry geometry(layout, 720, 480);
    EXPECT_EQ(SearchSw2(Picture(RenderFlat(geometry)).view), kSw2Tag);
    EXPECT_EQ(SearchSw2(Picture(RenderSmpte(geometry)).view), kSw2Tag);
  }
}

TEST(PatternSearchTest, RegionMatchesJudgesEachLimit)
{
  const FrameGeometry geometry(Layout::YUY2, 64, 64);
  struct Case
  {
    const char* name;
    Colour fill;
    bool matches;
  };
  const Colour reference{100, 120, 130};
  const Case cases[] = {
      {"exact", {100, 120, 130}, true},        {"luma 29 off", {129, 120, 130}, true},
      {"luma 30 off", {130, 120, 130}, false}, {"cb 30 off", {100, 150, 130}, false},
      {"cr 29 off", {100, 120, 101}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Picture picture(RenderFlat(geometry, c.fill));
    EXPECT_EQ(RegionMatches(picture.view, 8, 8, 8, reference), c.matches);
  }
  const Picture picture(RenderFlat(geometry, reference));
  EXPECT_TRUE(RegionMatches(picture.view, 56, 56, 8, reference));
  EXPECT_FALSE(RegionMatches(picture.view, 57, 56, 8, reference)) << "reaches past the bottom";
  EXPECT_FALSE(RegionMatches(picture.view, 0, -1, 8, reference));
  // The tight chroma limit on the mean: 10.
  const Picture off(RenderFlat(geometry, {100, 130, 130}));
  EXPECT_TRUE(RegionMatches(off.view, 8, 8, 8, reference, kToleranceDefault));
  EXPECT_FALSE(RegionMatches(off.view, 8, 8, 8, reference, kToleranceTight));
}

TEST(PatternSearchTest, FieldEdgeAndRowEdgeLimits)
{
  const Picture picture(RenderSmpte(FrameGeometry(Layout::YUY2, 720, 480)));
  EXPECT_EQ(ClassifyFieldEdge(picture.view, 150, 310, 316, 72), -1);
  EXPECT_EQ(ClassifyFieldEdge(picture.view, 150, 310, 342, 72), 1);
  EXPECT_EQ(ClassifyFieldEdge(picture.view, 150, 100, 140, 72), 0);
  EXPECT_EQ(CountRowEdges(picture.view, 10, 0, 1), -1);
  EXPECT_EQ(CountRowEdges(picture.view, 10, 0, 65), -1);
  EXPECT_EQ(CountRowEdges(picture.view, 10, 0, 64), 0);
  const Picture sw2(RenderSw2(FrameGeometry(Layout::YUY2, 720, 480)));
  EXPECT_GT(CountRowEdges(sw2.view, 58, 56, 112), 4);
}

} // namespace
} // namespace sorrel
