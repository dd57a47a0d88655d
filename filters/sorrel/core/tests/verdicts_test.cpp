// Statuses and diagnostic lines of the full snapshot, from chosen measurements.
#include "sorrel/pattern_search.h"
#include "sorrel/results_block.h"
#include "sorrel/results_report.h"
#include "sorrel/verdicts.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace sorrel {
namespace {

using namespace sorrel::block;
using Lines = std::vector<std::string>;

Measurements Clean()
{
  Measurements m;
  m.frameTimeMs = 33;
  m.width = 720;
  m.height = 480;
  m.fourcc = "YUY2";
  m.frameIndex = 5393;
  m.frameSpanSeconds = 5393 / 29.97;
  m.elapsedSeconds = m.frameSpanSeconds + 0.2;
  m.visualize = 1;
  m.smpteResult = kSmpteTag | SMPTE_FOUND;
  m.sw2Result = kSw2Tag | 0x1F1;
  return m;
}

struct Judged
{
  int32_t status;
  Lines lines;
};

Judged Judge(const Measurements& m, int group, int item, const MediaFileCheck& media = {})
{
  std::vector<uint8_t> block(kBlockSize, 0);
  WriteFullSnapshot(m, media, block.data());
  WriteInt32(block.data(), kOffsetVersion, kVersion);
  DecodedResults r;
  std::string error;
  EXPECT_TRUE(DecodeResultsBlock(block.data(), block.size(), &r, &error));
  Judged j{-1, {}};
  for (const AssertionRecord& a : r.assertions) {
    if (a.group == group && a.item == item) {
      j.status = a.status;
    }
  }
  for (const DiagnosticRecord& d : r.diagnostics) {
    if (d.group == group && d.item == item) {
      j.lines.push_back(d.text);
    }
  }
  return j;
}

struct Case
{
  const char* name;
  Measurements m;
  int group, item;
  int32_t status;
  Lines lines;
};

void RunCases(const std::vector<Case>& cases)
{
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Judged j = Judge(c.m, c.group, c.item);
    EXPECT_EQ(j.status, c.status);
    EXPECT_EQ(j.lines, c.lines);
  }
}

template <typename F> Measurements With(F change)
{
  Measurements m = Clean();
  change(m);
  return m;
}

TEST(VerdictsTest, DropAssertions)
{
  const int P = STATUS_PASSED, F = STATUS_FAILED, W = STATUS_WARNING;
  const char* defect = "\tFrames with this defect are considered dropped.";
  RunCases({
      {"2.3 clean", Clean(), 2, 3, P, {defect, "\tMaximum contiguous pixels dropped 0."}},
      {"2.3 run 16",
       With([](Measurements& m) { m.maxRun = 16; }),
       2,
       3,
       P,
       {defect, "\tMaximum contiguous pixels dropped 16."}},
      {"2.3 run 17",
       With([](Measurements& m) { m.maxRun = 17; }),
       2,
       3,
       W,
       {defect, "\tMaximum contiguous pixels dropped 17."}},
      {"2.3 drops without runs",
       With([](Measurements& m) { m.maxDroppedInFrame = 3; }),
       2,
       3,
       P,
       {defect, "\tMaximum contiguous pixels dropped 1."}},
      {"2.4 100",
       With([](Measurements& m) { m.maxDroppedInFrame = 100; }),
       2,
       4,
       P,
       {defect, "\tMaximum pixels dropped in one frame 100."}},
      {"2.4 101",
       With([](Measurements& m) { m.maxDroppedInFrame = 101; }),
       2,
       4,
       W,
       {defect, "\tMaximum pixels dropped in one frame 101."}},
      {"2.5", Clean(), 2, 5, P, {"\tFrames dropped within one half second 0 times"}},
      {"2.5 counted",
       With([](Measurements& m) { m.halfSecondEvents = 2; }),
       2,
       5,
       F,
       {"\tFrames dropped within one half second 2 times"}},
      {"2.6 none", Clean(), 2, 6, P, {}},
      {"2.6 three",
       With([](Measurements& m) { m.droppedPerMinute[1] = 3; }),
       2,
       6,
       P,
       {"\tDrops in each of 3 intervals: 0 3 0"}},
      {"2.6 four",
       With([](Measurements& m) { m.droppedPerMinute[2] = 4; }),
       2,
       6,
       F,
       {"\tDrops in each of 3 intervals: 0 0 4"}},
      {"2.7 six",
       With([](Measurements& m) {
         m.droppedPerMinute[0] = m.droppedPerMinute[1] = m.droppedPerMinute[2] = 2;
       }),
       2,
       7,
       P,
       {"\tDrops during full test run were 6", "\tMaximum allowed drops in test run is 6"}},
      {"2.7 seven",
       With([](Measurements& m) {
         m.droppedPerMinute[0] = m.droppedPerMinute[1] = 2;
         m.droppedPerMinute[2] = 3;
       }),
       2,
       7,
       F,
       {"\tDrops during full test run were 7", "\tMaximum allowed drops in test run is 6"}},
      {"2.8 low",
       With([](Measurements& m) { m.totalDropped = 20000; }),
       2,
       8,
       P,
       {"\tPixel error rate was 0.001%"}},
      {"2.8 high",
       With([](Measurements& m) { m.totalDropped = 2000000; }),
       2,
       8,
       F,
       {"\tPixel error rate was 0.107%"}},
  });
}

TEST(VerdictsTest, OrientationAssertions)
{
  const int P = STATUS_PASSED, F = STATUS_FAILED, N = STATUS_NOT_TESTED;
  const char* notFound = "\tNo SMPTE BARS pattern was detected during testing";
  const char* correct = "\tSMPTE BARS pattern was found, and was presented in correct field order";
  auto smpte = [](uint32_t result) {
    return With([result](Measurements& m) { m.smpteResult = result; });
  };
  RunCases({
      {"4.1", Clean(), 4, 1, P, {}},
      {"4.1 negative", With([](Measurements& m) { m.height = -480; }), 4, 1, F, {}},
      {"4.2 576", With([](Measurements& m) { m.height = 576; }), 4, 2, P, {}},
      {"4.2 486", With([](Measurements& m) { m.height = 486; }), 4, 2, F, {}},
      {"4.3 found", Clean(), 4, 3, P, {}},
      {"4.3 flipped", smpte(kSmpteTag | SMPTE_FOUND | SMPTE_FLIPPED), 4, 3, F, {}},
      {"4.3 no edge",
       smpte(kSmpteTag | SMPTE_NO_EDGE),
       4,
       3,
       F,
       {"\tSMPTE BARS not found, horizontal edge not detected, please check pattern."}},
      {"4.3 not found", smpte(kSmpteTag), 4, 3, F, {notFound}},
      {"4.3 not searched", smpte(0), 4, 3, N, {}},
      {"4.4 found", Clean(), 4, 4, P, {correct}},
      {"4.4 soft",
       smpte(kSmpteTag | SMPTE_FOUND | SMPTE_SOFT_EDGES),
       4,
       4,
       P,
       {correct, "\tHorizontal edges were soft, possibly indicating a problem"}},
      {"4.4 swapped",
       smpte(kSmpteTag | SMPTE_FOUND | SMPTE_FIELDS_SWAPPED),
       4,
       4,
       F,
       {"\tSMPTE BARS pattern was found, fields in wrong order"}},
      {"4.4 not found", smpte(kSmpteTag), 4, 4, F, {notFound}},
      {"4.4 not searched",
       smpte(0),
       4,
       4,
       F,
       {"\tNo search for SMPTE BARS pattern was attempted during testing"}},
  });
}

TEST(VerdictsTest, QualityAssertions)
{
  const int P = STATUS_PASSED, F = STATUS_FAILED;
  auto sw2 = [](uint32_t bits, uint32_t smpte = kSmpteTag | SMPTE_FOUND) {
    return With([bits, smpte](Measurements& m) {
      m.sw2Result = bits;
      m.smpteResult = smpte;
    });
  };
  const uint32_t T = kSw2Tag;
  const char* noSearch = "\tNo search for SW2 pattern was attempted during testing";
  const char* notFound = "\tNo SW2 pattern was detected during testing";
  RunCases({
      {"5.1 all correct", sw2(T | 0x1F1), 5, 1, P, {}},
      {"5.1 colour slightly off", sw2(T | 0x15), 5, 1, P, {"\tFound errors in color details"}},
      {"5.1 colour far off", sw2(T | 0x05), 5, 1, P, {"\tFound large errors in color details"}},
      {"5.1 b/w slightly off", sw2(T | 0x75), 5, 1, P, {"\tFound errors in b/w details"}},
      {"5.1 b/w far off", sw2(T | 0x35), 5, 1, P, {"\tFound large errors in b/w details"}},
      {"5.1 wrong frame",
       sw2(T | 0xFB),
       5,
       1,
       F,
       {"\tPlease check to insure correct frame number for SW2 pattern"}},
      {"5.1 no detail", sw2(T | 0xF3), 5, 1, F, {"\tImage lacks correct details"}},
      {"5.1 not found",
       sw2(T),
       5,
       1,
       F,
       {notFound, "\tLarge displacement of image edges could cause this"}},
      {"5.1 not searched", sw2(0), 5, 1, F, {noSearch}},
      {"5.1 not searched, swapped fields",
       sw2(0, kSmpteTag | SMPTE_FOUND | SMPTE_FIELDS_SWAPPED),
       5,
       1,
       F,
       {"\tRunning this test requires passing prior image order test", noSearch}},
      {"5.2 all correct", sw2(T | 0x1F1), 5, 2, P, {}},
      {"5.2 colour slightly off",
       sw2(T | 0x15),
       5,
       2,
       F,
       {"\tColored areas differ from reference, check decoder color",
        "\tB/W areas differ from reference, check decoder lightness"}},
      {"5.2 b/w slightly off",
       sw2(T | 0x75),
       5,
       2,
       F,
       {"\tB/W areas differ from reference, check decoder lightness"}},
      {"5.2 levels passed, fine bits missing",
       sw2(T | 0x111),
       5,
       2,
       P,
       {"\tColored areas differ slightly from reference, check decoder color",
        "\tB/W areas differ slightly from reference, check decoder lightness"}},
      {"5.2 not found", sw2(T), 5, 2, F, {notFound}},
      {"5.2 not searched", sw2(0), 5, 2, F, {noSearch}},
  });
}

class MediaFileTest : public ::testing::Test
{
protected:
  void SetUp() override { media.path = folder.File("vb test media output.avi"); }

  void MakeFile(std::uintmax_t size)
  {
    std::ofstream(media.path).put('x');
    std::filesystem::resize_file(media.path, size); // sparse: no disk used
  }

  Judged JudgeDataRate()
  {
    Measurements m = Clean();
    m.visualize = 0;
    return Judge(m, 3, 1, media);
  }

  const testsupport::TempFolder folder;
  MediaFileCheck media;
};

TEST_F(MediaFileTest, LargeEnoughFilePassesAndIsRemoved)
{
  MakeFile(666000000);
  const Judged j = JudgeDataRate();
  EXPECT_EQ(j.status, STATUS_PASSED);
  EXPECT_EQ(j.lines,
            (Lines{"\tMedia file averaged 3.70MB/s", "\tMedia file size was 666000000 bytes"}));
  EXPECT_FALSE(std::filesystem::exists(media.path));
}

TEST_F(MediaFileTest, SmallFileFails)
{
  MakeFile(665999999);
  const Judged j = JudgeDataRate();
  EXPECT_EQ(j.status, STATUS_FAILED);
  EXPECT_EQ(j.lines[1], "\tMedia file size was 665999999 bytes");
}

TEST_F(MediaFileTest, FilesBeyondTwoGigabytesReportTheirSize)
{
  MakeFile(3000000000ull);
  const Judged j = JudgeDataRate();
  EXPECT_EQ(j.status, STATUS_PASSED);
  EXPECT_EQ(j.lines[1], "\tMedia file size was 3000000000 bytes");
}

TEST_F(MediaFileTest, KeptWhenAskedAndMissingFileIsNotTested)
{
  media.removeAfterCheck = false;
  MakeFile(1000);
  EXPECT_EQ(JudgeDataRate().status, STATUS_FAILED);
  EXPECT_TRUE(std::filesystem::exists(media.path));
  std::filesystem::remove(media.path);
  const Judged missing = JudgeDataRate();
  EXPECT_EQ(missing.status, STATUS_NOT_TESTED);
  EXPECT_EQ(missing.lines,
            Lines{"\tUnable to determine size of media file - please check configuration"});
}

TEST_F(MediaFileTest, UndeletableFileIsReported)
{
  MakeFile(1000);
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_exec);
  const Judged j = JudgeDataRate();
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
  if (geteuid() == 0) {
    GTEST_SKIP() << "root removes files from read-only folders";
  }
  ASSERT_EQ(j.lines.size(), 3u);
  EXPECT_EQ(j.lines[0], "\tUnable to remove output media file.  Please remove manually");
}

TEST_F(MediaFileTest, VisualisationModeIsNotTested)
{
  MakeFile(666000000);
  const Judged j = Judge(Clean(), 3, 1, media);
  EXPECT_EQ(j.status, STATUS_NOT_TESTED);
  EXPECT_EQ(j.lines, Lines{"\tError visualization mode precludes disk data rate testing"});
  EXPECT_TRUE(std::filesystem::exists(media.path));
}

TEST(ReportTest, FormatsBannersAssertionsAndDiagnostics)
{
  std::vector<uint8_t> block(kBlockSize, 0);
  WriteInt32(block.data(), kOffsetVersion, kVersion);
  Measurements m = Clean();
  m.maxRun = 17;
  m.sw2Result = kSw2Tag | 0xF3;
  WriteFullSnapshot(m, {}, block.data());
  DecodedResults r;
  std::string error;
  ASSERT_TRUE(DecodeResultsBlock(block.data(), block.size(), &r, &error));
  int verdict = 0;
  const Lines quiet = FormatReport(r, false, &verdict);
  EXPECT_EQ(verdict, 3);
  const Lines loud = FormatReport(r, true, nullptr);
  EXPECT_EQ(loud.size(), quiet.size() + r.diagnostics.size());
  EXPECT_EQ(quiet[0], "<<< PASSED 6.2.2 >>>\nDelivered frame rate is within 0.2% of PAL 25.0fps "
                      "or NTSC 29.97fps standard.\n");
  EXPECT_EQ(quiet[1], "<<< PASSED 6.2.3 >>>\nDelivered frames have no pixel drops greater than "
                      "16 pixels in size.\nWITH WARNING(S)\n");
  EXPECT_EQ(quiet[7], "");
  EXPECT_EQ(quiet[8], "<<< Video Test Assertion(s): 6.3 >>>");
  EXPECT_EQ(quiet[9], "\tVideo capture must support data rates of up to 3.7MB/s.\n");
  EXPECT_EQ(quiet[11], "<<< NOT TESTED 6.3.1 >>>\nCaptured file contains 3.7MB/s of combined "
                       "video and audio data.\n");
  EXPECT_NE(std::find(quiet.begin(), quiet.end(),
                      "<<< FAILED 6.5.1 >>>\nImage Detail: Input image has correct image "
                      "detail.\n"),
            quiet.end());
  EXPECT_NE(std::find(loud.begin(), loud.end(), "\tImage lacks correct details"), loud.end());

  const std::string json = FormatJson(r);
  EXPECT_NE(json.find("\"version\": 3"), std::string::npos);
  EXPECT_NE(json.find("{\"group\": 5, \"item\": 1, \"status\": 3"), std::string::npos);
  EXPECT_NE(json.find("\"text\": \"\\tImage lacks correct details\""), std::string::npos);
}

TEST(ReportTest, RefusesShortBlocksAndOtherVersions)
{
  std::vector<uint8_t> block(kBlockSize, 0);
  DecodedResults r;
  std::string error;
  EXPECT_FALSE(DecodeResultsBlock(block.data(), block.size() - 1, &r, &error));
  EXPECT_NE(error.find("16383 bytes"), std::string::npos);
  WriteInt32(block.data(), kOffsetVersion, 2);
  EXPECT_FALSE(DecodeResultsBlock(block.data(), block.size(), &r, &error));
  EXPECT_EQ(error, "results block version 2, expected 3");
  // Texts without a NUL stop at their field's end.
  WriteInt32(block.data(), kOffsetVersion, 3);
  WriteInt32(block.data(), AssertionOffset(0), 1);
  std::memset(block.data() + AssertionOffset(0) + kAssertionOffsetText, 'A', kTextSize);
  ASSERT_TRUE(DecodeResultsBlock(block.data(), block.size(), &r, &error));
  EXPECT_EQ(r.assertions[0].text.size(), kTextSize);
}

} // namespace
} // namespace sorrel
