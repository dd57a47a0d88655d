// The filter core as a whole: input acceptance, offers, buffer sizing, frame bookkeeping,
// the pattern search schedule and the three snapshots of the results block.
#include "filter_test_support.h"

#include "sorrel/pattern_search.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace sorrel {
namespace {

using namespace sorrel::testing;
using namespace sorrel::block;

TEST(CheckInputTypeTest, AcceptsAndNamesFormats)
{
  struct Case
  {
    uint32_t fourcc;
    int width, height;
    FilterResult result;
    uint32_t code;
    const char* name;
  };
  const Case cases[] = {
      {kFourccYUY2, 720, 480, FilterResult::Ok, kFourccYUY2, "YUY2"},
      {kFourccYUY2, 721, 480, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccUYVY, 640, 480, FilterResult::Ok, kFourccUYVY, "UYVY"},
      {kFourccUYVY, 641, 480, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccY41P, 720, 480, FilterResult::Ok, kFourccY41P, "Y41P"},
      {kFourccY41P, 644, 480, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccI420, 720, 480, FilterResult::Ok, kFourccIYUV, "IYUV/I420"},
      {kFourccIYUV, 720, 480, FilterResult::Ok, kFourccIYUV, "IYUV/I420"},
      {kFourccI420, 720, 481, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccYV12, 720, 480, FilterResult::Ok, kFourccYV12, "YV12"},
      {kFourccYV12, 719, 480, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccYVU9, 720, 480, FilterResult::Ok, kFourccYVU9, "YVU9"},
      {kFourccYVU9, 722, 480, FilterResult::Ok, kFormatCodeUnnamed, "----"},
      {kFourccYUY2, 80, 60, FilterResult::Ok, kFourccYUY2, "YUY2"},
      {kFourccYUY2, 78, 60, FilterResult::False, kFormatCodeNone, "None"},
      {kFourccYUY2, 80, 59, FilterResult::False, kFormatCodeNone, "None"},
      {kFourccYUY2, 720, -480, FilterResult::False, kFormatCodeNone, "None"},
      {MakeFourcc('R', 'G', 'B', '3'), 720, 480, FilterResult::False, kFormatCodeNone, "None"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.fourcc) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height));
    CAnalogInTest filter;
    EXPECT_EQ(filter.CheckInputType(MakeVideoMediaType(c.fourcc, c.width, c.height, kNtscFrame, 0)),
              c.result);
    EXPECT_EQ(filter.FormatCode(), c.code);
    EXPECT_STREQ(filter.FormatName(), c.name);
    if (c.code != kFormatCodeNone) {
      EXPECT_EQ(filter.InputFourcc(), c.fourcc);
      EXPECT_EQ(filter.BytesPerPixel(), 2);
      EXPECT_EQ(filter.FrameTimeMs(), 33);
    }
  }
}

TEST(CheckInputTypeTest, StoresDimensionsOfARefusedSize)
{
  CAnalogInTest filter;
  EXPECT_EQ(filter.CheckInputType(MakeVideoMediaType(kFourccYUY2, 720, -480, kPalFrame, 0)),
            FilterResult::False);
  EXPECT_EQ(filter.Height(), -480);
  EXPECT_EQ(filter.Width(), 720);
  EXPECT_EQ(filter.FrameTimeMs(), 40);
  EXPECT_EQ(filter.InputFourcc(), 0u);
}

TEST(CheckInputTypeTest, RefusesFormatBlocksThatAreNotVideoInfo)
{
  MediaType wrongType = MakeVideoMediaType(kFourccYUY2, 720, 480, kNtscFrame, 0);
  wrongType.formattype = Guid{1, 2, 3, {4}};
  MediaType shortBlock = MakeVideoMediaType(kFourccYUY2, 720, 480, kNtscFrame, 0);
  shortBlock.format.resize(60);
  MediaType noBlock = MakeVideoMediaType(kFourccYUY2, 720, 480, kNtscFrame, 0);
  noBlock.format.clear();
  for (const MediaType* type : {&wrongType, &shortBlock, &noBlock}) {
    CAnalogInTest filter;
    EXPECT_EQ(filter.CheckInputType(*type), FilterResult::False);
    EXPECT_EQ(filter.Width(), -1) << "nothing read from a block that isn't video info";
  }
}

TEST(GetMediaTypeTest, OffersCaitThenTheInputType)
{
  CAnalogInTest filter;
  MediaType out;
  EXPECT_EQ(filter.GetMediaType(0, nullptr, &out), FilterResult::Unexpected);
  const MediaType input = MakeVideoMediaType(kFourccI420, 720, 480, kNtscFrame, 518400);
  ASSERT_EQ(filter.CheckInputType(input), FilterResult::Ok);

  ASSERT_EQ(filter.GetMediaType(0, &input, &out), FilterResult::Ok);
  EXPECT_EQ(out.subtype, MEDIASUBTYPE_CAIT);
  EXPECT_EQ(out.majortype, MEDIATYPE_Video);
  EXPECT_EQ(out.formattype, FORMAT_VideoInfo);
  EXPECT_TRUE(out.bFixedSizeSamples);
  EXPECT_EQ(out.lSampleSize, kCaitSampleSize);
  EXPECT_EQ(out.format.size(), kVideoInfoSize);
  int32_t value = 0;
  ReadFormatInt32(out.format, kOffsetBitmapInfo + kBmiCompression, &value);
  EXPECT_EQ(uint32_t(value), kFourccCAIT);
  ReadFormatInt32(out.format, kOffsetBitmapInfo + kBmiSizeImage, &value);
  EXPECT_EQ(value, 117453);
  ReadFormatInt32(out.format, kOffsetBitmapInfo + kBmiWidth, &value);
  EXPECT_EQ(value, 0);

  ASSERT_EQ(filter.GetMediaType(1, &input, &out), FilterResult::Ok);
  EXPECT_EQ(out.subtype, input.subtype);
  EXPECT_EQ(out.lSampleSize, 518400u);
  ReadFormatInt32(out.format, kOffsetBitmapInfo + kBmiWidth, &value);
  EXPECT_EQ(value, 720);
  ReadFormatInt32(out.format, kOffsetBitmapInfo + kBmiCompression, &value);
  EXPECT_EQ(uint32_t(value), kFourccI420);
  int64_t frameTime = -1;
  ReadFormatInt64(out.format, kOffsetAvgTimePerFrame, &frameTime);
  EXPECT_EQ(frameTime, 0) << "the output's frame rate stays zero";

  EXPECT_EQ(filter.GetMediaType(2, &input, &out), FilterResult::NoMoreItems);

  MediaType variable = input;
  variable.bFixedSizeSamples = false;
  ASSERT_EQ(filter.GetMediaType(1, &variable, &out), FilterResult::Ok);
  EXPECT_EQ(out.lSampleSize, 0u);

  MediaType notVideoInfo = input;
  notVideoInfo.formattype = GUID_NULL_;
  EXPECT_EQ(filter.GetMediaType(1, &notVideoInfo, &out), FilterResult::False);
  MediaType noFormat = input;
  noFormat.format.clear();
  EXPECT_EQ(filter.GetMediaType(1, &noFormat, &out), FilterResult::False);
}

TEST(BufferSizeTest, OneFrameBufferAlignedTo64)
{
  CAnalogInTest filter;
  AllocatorProperties request;
  EXPECT_EQ(filter.DecideBufferSize(&request), FilterResult::Unexpected);
  ASSERT_EQ(filter.CheckInputType(MakeVideoMediaType(kFourccYUY2, 160, 120, kNtscFrame, 0)),
            FilterResult::Ok);
  ASSERT_EQ(filter.DecideBufferSize(&request), FilterResult::Ok);
  EXPECT_EQ(request.cBuffers, 1);
  EXPECT_EQ(request.cbBuffer, 38400);
  EXPECT_EQ(request.cbAlign, 64);
  EXPECT_EQ(request.cbPrefix, 0);

  struct Case
  {
    AllocatorProperties actual;
    FilterResult result;
  };
  const Case cases[] = {
      {{1, 38400, 64, 0}, FilterResult::Ok},   {{4, 40000, 64, 0}, FilterResult::Ok},
      {{1, 38399, 64, 0}, FilterResult::Fail}, {{0, 38400, 64, 0}, FilterResult::Fail},
      {{1, 38400, 16, 0}, FilterResult::Fail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actual.cbBuffer);
    EXPECT_EQ(CAnalogInTest::CheckAllocatorProperties(request, c.actual), c.result);
  }
  // The data-rate copy stays within both buffers of a small frame.
  EXPECT_EQ(CAnalogInTest::DataRateCopyLength(38400, 38400), 38400u);
  EXPECT_EQ(CAnalogInTest::DataRateCopyLength(691200, 691200), 117453u);
  EXPECT_EQ(CAnalogInTest::DataRateCopyLength(691200, 1000), 1000u);
}

TEST(ModeTest, DecidedOnceByTheOutputType)
{
  CAnalogInTest filter;
  EXPECT_EQ(filter.DecideMode(false, GUID_NULL_), FilterResult::Unexpected);
  EXPECT_EQ(filter.Visualize(), -1);
  EXPECT_EQ(filter.DecideMode(true, MEDIASUBTYPE_CAIT), FilterResult::Ok);
  EXPECT_EQ(filter.Visualize(), 0);
  EXPECT_EQ(filter.DecideMode(true, FourccSubtype(kFourccYUY2)), FilterResult::Ok);
  EXPECT_EQ(filter.Visualize(), 0);
  CAnalogInTest other;
  EXPECT_EQ(other.DecideMode(true, FourccSubtype(kFourccYUY2)), FilterResult::Ok);
  EXPECT_EQ(other.Visualize(), 1);
}

TEST(BookkeepingTest, DroppedFramesByThresholdAndRun)
{
  struct Case
  {
    const char* name;
    bool scattered;
    int n;
    bool droppedFrame;
  };
  const Case cases[] = {
      {"100 samples", true, 100, false},
      {"101 samples", true, 101, true},
      {"run of 16", false, 16, false},
      {"run of 17", false, 17, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(kFourccYUY2, 720, 480);
    fed.Results(); // the configuration snapshot sets the minute length
    for (int k = 0; k < 3; ++k) {
      fed.Deliver(k); // every pool buffer used once
    }
    fed.Deliver(3, c.scattered ? fed.Scattered(c.n) : fed.Run(c.n));
    fed.Deliver(4);
    EXPECT_EQ(fed.filter.FrameIndex(), 4);
    EXPECT_EQ(fed.filter.TotalDropped(), uint32_t(c.n));
    EXPECT_EQ(fed.filter.MaxDroppedInFrame(), uint32_t(c.n));
    EXPECT_EQ(fed.filter.MaxRun(), c.scattered ? 1u : uint32_t(c.n));
    EXPECT_EQ(fed.filter.DroppedInMinute(0), c.droppedFrame ? 1 : 0);
  }
}

TEST(BookkeepingTest, MinutesFollowTheFrameIndex)
{
  struct Case
  {
    int droppedIndex;
    int minute;
  };
  for (const Case& c : {Case{1797, 0}, Case{1798, 1}, Case{3595, 1}, Case{3596, 2}}) {
    SCOPED_TRACE(c.droppedIndex);
    FedFilter fed(kFourccYUY2, 80, 60);
    fed.Results();
    EXPECT_EQ(fed.filter.FramesPerMinute(), 1798);
    for (int k = 0; k <= c.droppedIndex; ++k) {
      fed.Deliver(k, k == c.droppedIndex ? fed.Run(20) : std::vector<ByteRange>{});
    }
    for (int minute = 0; minute < 3; ++minute) {
      EXPECT_EQ(fed.filter.DroppedInMinute(minute), minute == c.minute ? 1 : 0);
    }
  }
}

// The minute length comes with the input: drops count in their minute even when no results
// call came before streaming (the element on its own), and frame 0 is nothing special.
TEST(BookkeepingTest, MinuteLengthComesWithTheInput)
{
  struct Case
  {
    const char* name;
    int64_t frameTime;
    int32_t framesPerMinute;
  };
  const Case cases[] = {{"NTSC", kNtscFrame, 1798},
                        {"PAL", kPalFrame, 1500},
                        {"24 fps", 416667, 1463},
                        {"unknown rate", 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(kFourccYUY2, 80, 60, c.frameTime);
    EXPECT_EQ(fed.filter.FramesPerMinute(), c.framesPerMinute);
    const int32_t minuteLength = c.framesPerMinute > 0 ? c.framesPerMinute : 1800;
    for (int k = 0; k <= minuteLength + 3; ++k) {
      const bool drop = k == 3 || k == 4 * 30 || k == minuteLength + 3;
      fed.Deliver(int64_t(k) * 33366667, drop ? fed.Run(20) : std::vector<ByteRange>{});
    }
    // Without a frame time there are no minutes to tell apart: every drop counts in the first.
    EXPECT_EQ(fed.filter.DroppedInMinute(0), c.framesPerMinute > 0 ? 2 : 3);
    EXPECT_EQ(fed.filter.DroppedInMinute(1), c.framesPerMinute > 0 ? 1 : 0);
  }
}

TEST(BookkeepingTest, UnnamedFormatsAndEmptyBuffersAreNotAnalysed)
{
  FedFilter unnamed(kFourccYUY2, 81, 60);
  std::vector<uint8_t> buffer(81 * 60 * 2, 0);
  EXPECT_FALSE(unnamed.filter.AnalyzeFrame({buffer.data(), buffer.size()}));
  EXPECT_EQ(unnamed.filter.FrameIndex(), -1);
  FedFilter fed(kFourccIYUV, 80, 60);
  EXPECT_FALSE(fed.filter.AnalyzeFrame({buffer.data(), 0}));
  EXPECT_FALSE(fed.filter.AnalyzeFrame({nullptr, 100}));
  EXPECT_FALSE(fed.filter.AnalyzeFrame({buffer.data(), 100})) << "short planar frame";
  EXPECT_EQ(fed.filter.FrameIndex(), -1);
}

// A frame that is not the recycled buffer (a copy) is counted but never scanned: its bytes
// of 255 or marker values are picture, not dropped samples, and it stays as it was.
TEST(BookkeepingTest, FramesWithoutDropScanAreCountedNotScanned)
{
  struct Case
  {
    const char* name;
    uint32_t fourcc;
    int width;
    size_t size;
    bool analysed;
  };
  const Case cases[] = {
      {"YUY2 of 255", kFourccYUY2, 80, 80 * 60 * 2, true},
      {"IYUV of 255", kFourccIYUV, 80, 80 * 60 * 3 / 2, true},
      {"short IYUV", kFourccIYUV, 80, 100, false},
      {"unnamed YUY2", kFourccYUY2, 81, 81 * 60 * 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(c.fourcc, c.width, 60);
    const std::vector<uint8_t> picture(c.size, 255);
    std::vector<uint8_t> frame = picture;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(fed.filter.AnalyzeFrameWithoutDropScan(frame.data(), frame.size()), c.analysed);
    }
    EXPECT_EQ(fed.filter.FrameIndex(), c.analysed ? 2 : -1);
    EXPECT_EQ(fed.filter.TotalDropped(), 0u);
    EXPECT_EQ(fed.filter.DroppedInMinute(0), 0);
    EXPECT_EQ(frame, picture);
  }
  FedFilter fed(kFourccYUY2, 80, 60);
  EXPECT_FALSE(fed.filter.AnalyzeFrameWithoutDropScan(nullptr, 100));
}

// The clock can change until the first frame is booked; then it belongs to the measurement.
TEST(BookkeepingTest, ClockChangesOnlyBeforeTheFirstFrame)
{
  FedFilter fed(kFourccYUY2, 80, 60);
  EXPECT_TRUE(fed.filter.SetClock(std::make_unique<StreamClock>()));
  EXPECT_TRUE(fed.filter.SetClock(nullptr));
  EXPECT_TRUE(fed.filter.SetClock(std::make_unique<StreamClock>()));
  fed.Deliver(0);
  EXPECT_FALSE(fed.filter.SetClock(nullptr));
  fed.Deliver(int64_t(10) * 1000000000);
  // Ten seconds of stream time; a wall clock would count from the stream's zero instead.
  const DecodedResults r = fed.Results();
  EXPECT_EQ(r.flags & kPhaseMask, PHASE_STARTUP) << "still on the stream clock";
}

TEST(PatternScheduleTest, SmpteThenSw2OnTheThirtiethFrames)
{
  FedFilter fed(kFourccYUY2, 352, 480);
  fed.Results();
  const auto smpte = RenderSmpte(fed.geometry).Pack();
  const auto sw2 = RenderSw2(fed.geometry).Pack();
  fed.frame = smpte;
  for (int k = 0; k < 330; ++k) {
    fed.Deliver(k);
  }
  EXPECT_EQ(fed.filter.SmpteResult(), 0u) << "no search up to frame index 330";
  fed.Deliver(330);
  EXPECT_EQ(fed.filter.SmpteResult(), kSmpteTag | SMPTE_FOUND);
  fed.frame = sw2;
  for (int k = 331; k <= 360; ++k) {
    fed.Deliver(k);
  }
  EXPECT_EQ(fed.filter.Sw2Result(), kSw2Tag | 0x1F1u);
  EXPECT_EQ(fed.filter.SmpteResult(), kSmpteTag | SMPTE_FOUND) << "found bars are kept";
}

TEST(PatternScheduleTest, NoSearchOnPalOrNarrowFrames)
{
  for (auto [width, height] : {std::pair{720, 576}, std::pair{318, 480}}) {
    SCOPED_TRACE(height);
    FedFilter fed(kFourccYUY2, width, height, kPalFrame);
    fed.frame = RenderSmpte(fed.geometry).Pack();
    for (int k = 0; k <= 330; ++k) {
      fed.Deliver(k);
    }
    EXPECT_EQ(fed.filter.SmpteResult(), 0u);
  }
}

TEST(SnapshotTest, ConfigurationBeforeAnyFrame)
{
  struct Case
  {
    const char* name;
    uint32_t fourcc;
    int width, height;
    int64_t frameTime;
    int32_t status[4];
    bool configOk;
    const char* standard;
  };
  const int P = STATUS_PASSED, F = STATUS_FAILED, W = STATUS_WARNING, N = STATUS_NOT_TESTED;
  const Case cases[] = {
      {"NTSC YUY2", kFourccYUY2, 720, 480, kNtscFrame, {P, P, P, P}, true, "NTSC"},
      {"PAL UYVY", kFourccUYVY, 704, 576, kPalFrame, {P, P, P, P}, true, "PAL/SECAM"},
      {"NTSC I420", kFourccI420, 640, 480, kNtscFrame, {W, P, P, P}, true, "NTSC"},
      {"NTSC 576 lines", kFourccYUY2, 720, 576, kNtscFrame, {P, F, P, P}, false, "NTSC"},
      {"odd width", kFourccYUY2, 700, 480, kNtscFrame, {P, P, P, F}, true, "NTSC"},
      {"20 ms frames", kFourccYUY2, 720, 480, 200000, {P, N, F, P}, false, "UNKNOWN"},
      {"20 ms, 500 lines", kFourccYUY2, 720, 500, 200000, {P, F, F, P}, false, "UNKNOWN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(c.fourcc, c.width, c.height, c.frameTime);
    const DecodedResults r = fed.Results();
    EXPECT_EQ(r.version, 3);
    EXPECT_EQ(r.standardName, c.standard);
    EXPECT_EQ(r.width, c.width);
    EXPECT_EQ(r.height, c.height);
    char fourcc[5] = {char(c.fourcc), char(c.fourcc >> 8), char(c.fourcc >> 16),
                      char(c.fourcc >> 24), 0};
    EXPECT_EQ(r.fourcc, fourcc);
    EXPECT_EQ(r.flags & kPhaseMask, PHASE_CONFIGURATION);
    EXPECT_EQ((r.flags & FLAG_CONFIG_OK) != 0, c.configOk);
    EXPECT_EQ(r.flags & FLAG_STREAMING, 0);
    ASSERT_EQ(r.assertions.size(), 5u);
    EXPECT_EQ(r.assertions[0].status, STATUS_TEXT);
    for (int item = 1; item <= 4; ++item) {
      EXPECT_EQ(r.assertions[item].group, 1);
      EXPECT_EQ(r.assertions[item].item, item);
      EXPECT_EQ(r.assertions[item].status, c.status[item - 1]) << "1." << item;
    }
    EXPECT_TRUE(r.diagnostics.empty());
  }
}

TEST(SnapshotTest, BlockBytesAtTheirOffsets)
{
  FedFilter fed(kFourccI420, 720, 480);
  fed.Results();
  const std::vector<uint8_t>& b = fed.raw;
  EXPECT_EQ(ReadInt32(b.data(), 0), 3);
  EXPECT_EQ(ReadInt32(b.data(), 4), 33);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "NTSC");
  EXPECT_EQ(ReadInt32(b.data(), 24), 720);
  EXPECT_EQ(ReadInt32(b.data(), 28), 480);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[32]), 4), "I420");
  EXPECT_EQ(b[36], 0);
  EXPECT_EQ(b[37], 0x11);
  EXPECT_EQ(b[38], 0);
  EXPECT_EQ(b[39], 0);
  EXPECT_EQ(ReadInt32(b.data(), 40), 1);
  EXPECT_EQ(ReadInt32(b.data(), 44), -1);
  EXPECT_EQ(ReadInt32(b.data(), 48), STATUS_TEXT);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[52])),
            "Analog input supports decode to 720 pixel wide YVU 4:2:2.");
  EXPECT_EQ(ReadInt32(b.data(), 40 + 4 * 92), 1);
  EXPECT_EQ(ReadInt32(b.data(), 40 + 4 * 92 + 4), 4);
  EXPECT_EQ(ReadInt32(b.data(), 40 + 5 * 92), 0);
  for (size_t at = 40 + 5 * 92; at < b.size(); ++at) {
    ASSERT_EQ(b[at], 0) << "offset " << at;
  }
  EXPECT_EQ(fed.filter.QueryVendorInfo(nullptr, 16384), FilterResult::Pointer);
  std::vector<uint8_t> small(100, 7);
  EXPECT_EQ(fed.filter.QueryVendorInfo(small.data(), small.size()), FilterResult::OutOfMemory);
  EXPECT_EQ(small[0], 7);
}

// An onlooker's snapshot equals the results call's block but changes nothing: the media file
// stays.
TEST(SnapshotTest, PeekLeavesTheMediaFile)
{
  const testsupport::TempFolder folder;
  const std::string media = folder.File("media.avi");
  FedFilter fed(kFourccYUY2, 720, 480);
  fed.filter.DecideMode(true, MEDIASUBTYPE_CAIT);
  fed.filter.SetMediaFileCheck({media, true});
  std::vector<uint8_t> peeked(kBlockSize, 0xAA);
  ASSERT_EQ(fed.filter.PeekResults(peeked.data(), peeked.size()), FilterResult::Ok);
  EXPECT_EQ(peeked[kOffsetFlags] & kPhaseMask, PHASE_CONFIGURATION);
  fed.Results();

  for (int k = 0; k <= 900; ++k) {
    fed.Deliver(int64_t(k) * 1001000000 / 30);
  }
  std::FILE* file = std::fopen(media.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("not much of a capture", file);
  std::fclose(file);
  ASSERT_EQ(fed.filter.PeekResults(peeked.data(), peeked.size()), FilterResult::Ok);
  EXPECT_EQ(peeked[kOffsetFlags] & kPhaseMask, PHASE_FULL);
  EXPECT_TRUE(std::filesystem::exists(media)) << "looked at, not removed";
  std::vector<uint8_t> queried(kBlockSize, 0);
  ASSERT_EQ(fed.filter.QueryVendorInfo(queried.data(), queried.size()), FilterResult::Ok);
  EXPECT_FALSE(std::filesystem::exists(media)) << "the results call removes it";
  EXPECT_EQ(peeked, queried);
}

// While the graph streams its writer holds the media file open: a full snapshot then judges
// the file but leaves it, and the results call after the stop removes it.
TEST(SnapshotTest, TheMediaFileIsRemovedOnlyOnceTheGraphHasStopped)
{
  const testsupport::TempFolder folder;
  const std::string media = folder.File("media.avi");
  FedFilter fed(kFourccYUY2, 80, 60);
  fed.filter.DecideMode(true, MEDIASUBTYPE_CAIT);
  fed.filter.SetMediaFileCheck({media, true});
  fed.filter.SetStreaming(true);
  fed.DeliverAtRate(1000, 30000.0 / 1001);
  std::FILE* file = std::fopen(media.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("still being written", file);
  std::fclose(file);

  const DecodedResults running = fed.Results();
  ASSERT_EQ(running.flags & kPhaseMask, PHASE_FULL);
  EXPECT_TRUE(std::filesystem::exists(media)) << "removed under the running writer";
  EXPECT_EQ(FindAssertion(running, 3, 1)->status, STATUS_FAILED);
  EXPECT_EQ(LinesOf(running, 3, 1), (std::vector<std::string>{"\tMedia file averaged 0.00MB/s",
                                                              "\tMedia file size was 19 bytes"}));

  fed.filter.SetStreaming(false);
  const DecodedResults stopped = fed.Results();
  EXPECT_FALSE(std::filesystem::exists(media)) << "kept after the graph stopped";
  EXPECT_EQ(LinesOf(stopped, 3, 1), LinesOf(running, 3, 1));
}

// Rows with padding (a driver's strides) are analysed through their strides: the padding is
// neither scanned nor marked, and the drops are found as in a frame without padding.
TEST(BookkeepingTest, PaddedRowsAreAnalysedThroughTheirStrides)
{
  for (uint32_t fourcc : {kFourccYUY2, kFourccUYVY, kFourccIYUV, kFourccYV12, kFourccYVU9}) {
    FedFilter fed(fourcc, 80, 60);
    SCOPED_TRACE(fed.filter.FormatName());
    const FrameGeometry& g = fed.geometry;
    PlaneLayout planes;
    size_t at = 16; // the frame starts behind a header, as in some drivers' buffers
    for (int c = 0; c < g.PlaneCount(); ++c) {
      planes.offset[c] = at;
      planes.stride[c] = g.RowBytes(c) + 24;
      at += planes.stride[c] * size_t(g.Rows(c));
    }
    const FrameGeometry padded(g.layout(), 80, 60, planes);
    // Padding of 255 would read as dropped samples if it were scanned.
    std::vector<uint8_t> buffer(padded.FrameSize(), 255);
    const std::vector<uint8_t> picture = RenderFlat(padded).Pack();
    std::vector<bool> unwritten(buffer.size(), false);
    for (int k = 0; k < 4; ++k) {
      // The driver writes the samples of each row, except 20 luma samples of the last frame.
      for (int x = 8; x < 28; ++x) {
        unwritten[padded.LumaOffset(x, 4)] = k == 3;
      }
      for (int c = 0; c < padded.PlaneCount(); ++c) {
        for (int r = 0; r < padded.Rows(c); ++r) {
          const size_t row = planes.offset[c] + planes.stride[c] * size_t(r);
          for (size_t b = row; b < row + padded.RowBytes(c); ++b) {
            buffer[b] = unwritten[b] ? buffer[b] : picture[b];
          }
        }
      }
      ASSERT_TRUE(fed.filter.AnalyzeFrame({buffer.data(), buffer.size(), &planes}, {}, k));
    }
    EXPECT_EQ(fed.filter.FrameIndex(), 3);
    EXPECT_EQ(fed.filter.TotalDropped(), 20u);
    EXPECT_EQ(fed.filter.MaxRun(), 20u);
    EXPECT_EQ(fed.filter.DroppedInMinute(0), 1);
    EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 16, 255), 16) << "header touched";
    EXPECT_EQ(buffer[planes.offset[0] + g.RowBytes(0)], 255) << "padding touched";
    // Strides that don't hold a row are refused.
    PlaneLayout narrow = planes;
    narrow.stride[0] = g.RowBytes(0) - 1;
    EXPECT_FALSE(fed.filter.AnalyzeFrame({buffer.data(), buffer.size(), &narrow}));
    EXPECT_FALSE(fed.filter.AnalyzeFrame({buffer.data(), buffer.size() - 1, &planes}))
        << "a buffer that ends before the last row";
  }
}

TEST(SnapshotTest, StartupWithinThirtySeconds)
{
  struct Case
  {
    const char* name;
    int64_t frameTime;
    double rate;
    int32_t status;
  };
  const Case cases[] = {
      {"NTSC at 29.97", kNtscFrame, 29.97, STATUS_PASSED},
      {"NTSC at 24", kNtscFrame, 24.0, STATUS_PASSED},
      {"NTSC at 23.9", kNtscFrame, 23.9, STATUS_FAILED},
      {"NTSC at 36", kNtscFrame, 36.0, STATUS_FAILED},
      {"PAL at 20.1", kPalFrame, 20.1, STATUS_PASSED},
      {"PAL at 30.5", kPalFrame, 30.5, STATUS_FAILED},
      {"unknown standard", 200000, 29.97, STATUS_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(kFourccYUY2, 80, 60, c.frameTime);
    fed.Results();
    const int frames = int(c.rate * 10);
    fed.DeliverAtRate(frames, c.rate);
    const DecodedResults r = fed.Results();
    EXPECT_EQ(r.flags, FLAG_CONFIG_OK | FLAG_STREAMING | PHASE_STARTUP);
    ASSERT_EQ(r.assertions.size(), 5u);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(r.assertions[k].status, STATUS_TEXT);
      EXPECT_EQ(r.assertions[k].group, 2);
    }
    EXPECT_EQ(r.assertions[4].item, 1);
    EXPECT_EQ(r.assertions[4].status, c.status);
    ASSERT_EQ(r.diagnostics.size(), 1u);
    char line[80];
    std::snprintf(line, sizeof line, "\tStartup frame rate was %.3ffps", c.rate);
    EXPECT_EQ(r.diagnostics[0].text, line);
    EXPECT_EQ(r.diagnostics[0].group, 2);
    EXPECT_EQ(r.diagnostics[0].item, 1);
  }
}

TEST(SnapshotTest, FullRateBands)
{
  struct Case
  {
    const char* name;
    int64_t frameTime;
    double rate;
    int32_t status;
  };
  const Case cases[] = {
      {"NTSC 29.97", kNtscFrame, 29.97, STATUS_PASSED},
      {"NTSC 29.93", kNtscFrame, 29.93, STATUS_WARNING},
      {"NTSC 29.90", kNtscFrame, 29.90, STATUS_FAILED},
      {"NTSC 30.01", kNtscFrame, 30.01, STATUS_WARNING},
      {"NTSC 30.05", kNtscFrame, 30.05, STATUS_FAILED},
      {"PAL 25.00", kPalFrame, 25.0, STATUS_PASSED},
      {"PAL 24.96", kPalFrame, 24.96, STATUS_WARNING},
      {"PAL 24.94", kPalFrame, 24.94, STATUS_FAILED},
      {"PAL 25.04", kPalFrame, 25.04, STATUS_WARNING},
      {"unknown", 200000, 29.97, STATUS_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FedFilter fed(kFourccYUY2, 80, 60, c.frameTime);
    fed.Results();
    const int frames = int(c.rate * 31);
    fed.DeliverAtRate(frames, c.rate);
    const DecodedResults r = fed.Results();
    EXPECT_EQ(r.flags, FLAG_CONFIG_OK | FLAG_STREAMING | PHASE_FULL);
    const AssertionRecord* a = FindAssertion(r, 2, 2);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->status, c.status);
    char line[80];
    std::snprintf(line, sizeof line, "\tMeasured frame rate during test was %.3ffps", c.rate);
    EXPECT_EQ(LinesOf(r, 2, 2), std::vector<std::string>{line});
  }
}

TEST(SnapshotTest, FullRecordOrder)
{
  FedFilter fed(kFourccYUY2, 80, 60);
  fed.Results();
  fed.DeliverAtRate(930, 30.0);
  const DecodedResults r = fed.Results();
  ASSERT_EQ(r.assertions.size(), 20u);
  const int expected[20][2] = {{2, 2},  {2, 3},  {2, 4},  {2, 5},  {2, 6},  {2, 7}, {2, 8},
                               {3, -1}, {3, -1}, {3, 1},  {4, -1}, {4, -1}, {4, 1}, {4, 2},
                               {4, 3},  {4, 4},  {5, -1}, {5, -1}, {5, 1},  {5, 2}};
  for (size_t k = 0; k < 20; ++k) {
    EXPECT_EQ(r.assertions[k].group, expected[k][0]) << k;
    EXPECT_EQ(r.assertions[k].item, expected[k][1]) << k;
    EXPECT_EQ(r.assertions[k].status == STATUS_TEXT, expected[k][1] == -1) << k;
  }
  EXPECT_EQ(ReadInt32(fed.raw.data(), AssertionOffset(20)), 0);
  for (const DiagnosticRecord& d : r.diagnostics) {
    EXPECT_EQ(d.text[0], '\t');
    EXPECT_LE(d.text.size(), 79u);
  }
}

TEST(ConcurrencyTest, ResultsWhileFramesArrive)
{
  FedFilter fed(kFourccYUY2, 160, 120);
  fed.Results();
  std::atomic<bool> done{false};
  std::thread streaming([&] {
    for (int k = 0; k < 1500; ++k) {
      fed.Deliver(int64_t(k) * 33366667, k % 7 == 0 ? fed.Run(20) : std::vector<ByteRange>{});
    }
    done = true;
  });
  int snapshots = 0;
  std::vector<uint8_t> block(kBlockSize);
  while (!done) {
    ASSERT_EQ(fed.filter.QueryVendorInfo(block.data(), block.size()), FilterResult::Ok);
    EXPECT_EQ(ReadInt32(block.data(), kOffsetVersion), 3);
    ++snapshots;
  }
  streaming.join();
  EXPECT_GT(snapshots, 0);
  EXPECT_EQ(fed.filter.FrameIndex(), 1499);
  uint32_t expected = 0;
  for (int k = 3; k < 1500; ++k) {
    expected += k % 7 == 0 ? 20 : 0; // the pool's first uses see no markers
  }
  EXPECT_EQ(fed.filter.TotalDropped(), expected);
}

} // namespace
} // namespace sorrel
