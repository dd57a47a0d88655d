// The report of a results block as report lines, with and without diagnostics, and the
// judgement of the configuration block against the test's parameters.
#include "kestrel/basiccapturerun.h"

#include "sorrel/results_block.h"
#include "sorrel/results_report.h"

#include "testsupport/logcapture.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
namespace blk = sorrel::block;

namespace {

sorrel::DecodedResults StartupBlock(int32_t status21)
{
  sorrel::DecodedResults r;
  r.version = 3;
  r.frameTimeMs = 33;
  r.flags = blk::FLAG_CONFIG_OK | blk::FLAG_STREAMING | blk::PHASE_STARTUP;
  r.assertions = {
      {2, -1, blk::STATUS_TEXT, "Frame rate text."},
      {2, -1, blk::STATUS_TEXT, "Second text."},
      {2, 1, status21, "Frame rate is within 20% of expected during first ten seconds."},
      {3, 1, blk::STATUS_NOT_TESTED, "Captured file."},
      {3, 2, blk::STATUS_WARNING, "Warned."}};
  r.diagnostics = {{2, 1, "\tStartup frame rate was 29.970fps"}, {3, 2, "\tWarning line"}};
  return r;
}

sorrel::DecodedResults Configuration()
{
  sorrel::DecodedResults r;
  r.version = 3;
  r.frameTimeMs = 33;
  r.standardName = "NTSC";
  r.width = 720;
  r.height = 480;
  r.fourcc = "YUY2";
  r.flags = blk::FLAG_CONFIG_OK | blk::PHASE_CONFIGURATION;
  return r;
}

} // namespace

TEST(ReportTest, BannersAssertionsAndDiagnosticLines)
{
  LogCapture capture;
  EXPECT_EQ(kestrel::Report(StartupBlock(blk::STATUS_PASSED), 1), kestrel::kVerdictPassed);
  EXPECT_EQ(capture.Texts(LogCapture::Kind::Result),
            (std::vector<std::string>{
                "",
                "<<< Video Test Assertion(s): 6.2 >>>",
                "\tFrame rate text.\n",
                "\tSecond text.\n",
                "<<< PASSED 6.2.1 >>>\nFrame rate is within 20% of expected during first ten "
                "seconds.\n",
                "\tStartup frame rate was 29.970fps",
                "<<< NOT TESTED 6.3.1 >>>\nCaptured file.\n",
                "<<< PASSED 6.3.2 >>>\nWarned.\nWITH WARNING(S)\n",
                "\tWarning line",
            }));
}

// Diagnostics level 0 sends the report without a single diagnostic line; a failed assertion
// makes the verdict failed.
TEST(ReportTest, LevelZeroSendsNoDiagnosticLine)
{
  LogCapture capture;
  EXPECT_EQ(kestrel::Report(StartupBlock(blk::STATUS_FAILED), 0), kestrel::kVerdictFailed);
  const std::vector<std::string> lines = capture.Texts(LogCapture::Kind::Result);
  EXPECT_EQ(lines.size(), 7u);
  for (const std::string& line : lines)
    EXPECT_EQ(line.find("\tStartup"), std::string::npos) << line;
  EXPECT_EQ(lines[4], "<<< FAILED 6.2.1 >>>\nFrame rate is within 20% of expected during first "
                      "ten seconds.\n");
}

TEST(ConfigurationTest, TheBlockMustDescribeTheConfiguredGraph)
{
  struct Case
  {
    const char* name;
    void (*change)(sorrel::DecodedResults&, kestrel::BasicCaptureSettings&);
    bool valid;
  };
  const Case cases[] = {
      {"as configured", [](auto&, auto&) {}, true},
      {"IYUV configured, I420 delivered",
       [](auto& b, auto& s) { b.fourcc = "I420", s.fourcc = "IYUV"; }, true},
      {"I420 configured, IYUV delivered",
       [](auto& b, auto& s) { b.fourcc = "IYUV", s.fourcc = "I420"; }, true},
      {"UYVY delivered", [](auto& b, auto&) { b.fourcc = "UYVY"; }, false},
      {"fourcc case differs", [](auto&, auto& s) { s.fourcc = "yuy2"; }, false},
      {"PAL delivered for NTSC",
       [](auto& b, auto&) { b.frameTimeMs = 40, b.standardName = "PAL/SECAM"; }, false},
      {"PAL configured and delivered",
       [](auto& b, auto& s) {
         b.frameTimeMs = 40, b.standardName = "PAL/SECAM", s.standard = "PAL";
       },
       true},
      {"SECAM configured", [](auto& b, auto& s) { b.frameTimeMs = 40, s.standard = "SECAM"; },
       true},
      {"unknown standard letter", [](auto&, auto& s) { s.standard = "ntsc"; }, false},
      {"unknown standard in the block", [](auto& b, auto&) { b.standardName = "UNKNOWN"; }, false},
      {"no frame time", [](auto& b, auto&) { b.frameTimeMs = -1; }, false},
      {"configuration not ok", [](auto& b, auto&) { b.flags &= ~blk::FLAG_CONFIG_OK; }, false},
      {"width differs", [](auto&, auto& s) { s.width = 704; }, false},
      {"startup phase", [](auto& b, auto&) { b.flags = blk::FLAG_CONFIG_OK | blk::PHASE_STARTUP; },
       false},
      {"other version", [](auto& b, auto&) { b.version = 4; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sorrel::DecodedResults block = Configuration();
    kestrel::BasicCaptureSettings settings{"YUY2", "Custom", "NTSC", 0, 720};
    c.change(block, settings);
    EXPECT_EQ(kestrel::IsConfigurationValid(block, settings), c.valid);
  }
}

TEST(ConfigurationTest, TheStandardsFirstLetterGivesTheFrameTime)
{
  EXPECT_EQ(kestrel::FrameTimeOfStandard("NTSC"), 33);
  EXPECT_EQ(kestrel::FrameTimeOfStandard("N"), 33);
  EXPECT_EQ(kestrel::FrameTimeOfStandard("PAL"), 40);
  EXPECT_EQ(kestrel::FrameTimeOfStandard("SECAM"), 40);
  EXPECT_EQ(kestrel::FrameTimeOfStandard("ntsc"), -1);
  EXPECT_EQ(kestrel::FrameTimeOfStandard("M"), -1);
  EXPECT_EQ(kestrel::FrameTimeOfStandard(""), -1);
}
