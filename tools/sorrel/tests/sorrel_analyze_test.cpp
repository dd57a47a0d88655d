// sorrel-render and sorrel-analyze as real processes: rendered clips through pipes and
// files, the report, the block and JSON outputs, and every refused input.
#include "sorrel/results_block.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct ProcessRun
{
  int exitCode;
  std::string output; // standard output and standard error
};

std::string Tool(const char* name)
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  return std::string(build ? build : ".") + "/bin/" + name;
}

ProcessRun Shell(const std::string& command)
{
  ProcessRun run{-1, {}};
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) {
    return run;
  }
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
    run.output.append(chunk, got);
  }
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class SorrelToolsTest : public ::testing::Test
{
protected:
  std::string Render(const std::string& args) { return Tool("sorrel-render") + " " + args; }
  std::string Analyze(const std::string& args) { return Tool("sorrel-analyze") + " " + args; }

  const testsupport::TempFolder temp;
  const fs::path folder{temp.Path()};
};

// A status line of the report for assertion 6.group.item, with what follows up to the next.
std::string StatusOf(const std::string& report, int group, int item)
{
  const std::regex line("<<< (PASSED|FAILED|NOT TESTED) 6\\." + std::to_string(group) + "\\." +
                        std::to_string(item) + " >>>\\n[^\\n]*\\n(WITH WARNING\\(S\\))?");
  std::smatch match;
  if (!std::regex_search(report, match, line)) {
    return "missing";
  }
  return match[2].matched ? "WARNING" : match[1].str();
}

TEST_F(SorrelToolsTest, SmpteThenSw2ClipPassesEveryImageAndTimingAssertion)
{
  const std::string block = (folder / "block.bin").string();
  const ProcessRun run = Shell(Render("--format YUY2 --width 720 --height 480 "
                                      "--sequence smpte:400,sw2:800 -") +
                               " | " +
                               Analyze("--format YUY2 --width 720 --height 480 --fps 30000/1001 "
                                       "--block " +
                                       block + " -"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::pair<int, int> assertions[] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2},
                                            {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}, {2, 8},
                                            {4, 1}, {4, 2}, {4, 3}, {4, 4}, {5, 1}, {5, 2}};
  for (auto [group, item] : assertions) {
    SCOPED_TRACE(std::to_string(group) + "." + std::to_string(item));
    EXPECT_EQ(StatusOf(run.output, group, item), "PASSED");
  }
  EXPECT_EQ(StatusOf(run.output, 3, 1), "NOT TESTED");
  EXPECT_NE(run.output.find("[stream 40.040 s, 1200 frames] end of stream"), std::string::npos);
  EXPECT_NE(run.output.find("<<< Video Test Assertion(s): 6.5 >>>"), std::string::npos);

  std::ifstream in(block, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), sorrel::block::kBlockSize);
  EXPECT_EQ(sorrel::block::ReadInt32(bytes.data(), 0), 3);
  EXPECT_EQ(bytes[sorrel::block::kOffsetFlags], 0x33);
}

TEST_F(SorrelToolsTest, FaultyClipsFailTheirAssertions)
{
  struct Case
  {
    const char* sequence;
    int group, item;
    const char* status;
    const char* line;
  };
  const Case cases[] = {
      {"smpte-swapped:360", 4, 4, "FAILED", "fields in wrong order"},
      {"smpte-flipped:360", 4, 3, "FAILED", "No search for SW2 pattern was attempted"},
      {"smpte:340,sw2-nodetail:30", 5, 1, "FAILED", "Image lacks correct details"},
      {"smpte:340,sw2-colour:30", 5, 2, "FAILED", "Colored areas differ from reference"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sequence);
    // At 10 frames a second a short clip spans the 30 seconds that the full report needs.
    const ProcessRun run =
        Shell(Render("--format UYVY --width 352 --height 480 --sequence " +
                     std::string(c.sequence) + " -") +
              " | " + Analyze("--format UYVY --width 352 --height 480 --fps 10 -"));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(StatusOf(run.output, c.group, c.item), c.status) << run.output;
    EXPECT_NE(run.output.find(c.line), std::string::npos) << run.output;
  }
}

// A perfectly timed clip of 1000 frames (N frames span N-1 frame times) measures its own
// rate; dropped frames close together fail the half-second assertion, spread out they don't.
TEST_F(SorrelToolsTest, ClipsAreTimedAndTheirDropsJudgedLikeACapture)
{
  struct Case
  {
    const char* drops;
    const char* status_2_5;
    const char* line_2_5;
  };
  const Case cases[] = {
      {"", "PASSED", "Frames dropped within one half second 0 times"},
      {"100:0:200,105:0:200,110:0:200", "FAILED", "Frames dropped within one half second 1 times"},
      {"100:0:200,116:0:200,132:0:200", "PASSED", "Frames dropped within one half second 0 times"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drops);
    const std::string drops = *c.drops ? std::string(" --drops ") + c.drops : "";
    const ProcessRun run =
        Shell(Render("--format YUY2 --width 80 --height 60 --sequence grey:1000" + drops + " -") +
              " | " + Analyze("--format YUY2 --width 80 --height 60 --fps 30000/1001 -"));
    EXPECT_NE(run.output.find("Measured frame rate during test was 29.970fps"), std::string::npos)
        << run.output;
    EXPECT_EQ(StatusOf(run.output, 2, 2), "PASSED");
    EXPECT_EQ(StatusOf(run.output, 2, 5), c.status_2_5);
    EXPECT_NE(run.output.find(c.line_2_5), std::string::npos);
    EXPECT_EQ(StatusOf(run.output, 2, 6), "PASSED") << "three dropped frames in the minute";
  }
  const ProcessRun bad =
      Shell(Render("--format YUY2 --width 80 --height 60 --sequence grey:10 --drops 1:x:2 -"));
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.output.find("bad drop list"), std::string::npos) << bad.output;
}

TEST_F(SorrelToolsTest, Y4mClipAndJson)
{
  const std::string clip = (folder / "clip.y4m").string();
  ASSERT_EQ(Shell(Render("--format I420 --width 640 --height 480 --y4m --fps 25 "
                         "--sequence grey:20 " +
                         clip))
                .exitCode,
            0);
  const ProcessRun run = Shell(Analyze("--json " + clip));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("\"fourcc\": \"I420\""), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\"standardName\": \"PAL/SECAM\""), std::string::npos);
  EXPECT_NE(run.output.find("\"flags\": 35"), std::string::npos) << "startup phase";
  EXPECT_EQ(run.output.find("<<<"), std::string::npos) << "JSON only";
}

// A very slow rate: stream times of a few frames exceed 64-bit nanoseconds and must neither
// overflow nor stop the report.
TEST_F(SorrelToolsTest, SlowestFrameRateStillReports)
{
  const std::string clip = (folder / "slow.yuv").string();
  std::ofstream(clip) << std::string(9600 * 12, char(128));
  const ProcessRun run =
      Shell(Analyze("--format YUY2 --width 80 --height 60 --fps 1/1000000000 " + clip));
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("12 frames] end of stream"), std::string::npos) << run.output;
}

TEST_F(SorrelToolsTest, RefusedInputsExitWithTwoAndAMessage)
{
  const std::string odd = (folder / "odd.yuv").string();
  std::ofstream(odd) << std::string(9600 + 10, 'x');
  const std::string y422 = (folder / "422.y4m").string();
  std::ofstream(y422) << "YUV4MPEG2 W720 H480 F30000:1001 C422\nFRAME\n";
  const std::string deep = (folder / "deep.y4m").string();
  std::ofstream(deep) << "YUV4MPEG2 W80 H60 F25:1 C420p10\nFRAME\n" << std::string(14400, 'x');
  const std::string truncated = (folder / "truncated.y4m").string();
  std::ofstream(truncated) << "YUV4MPEG2 W80 H60 F25:1 C420jpeg\nFRAME\n" << std::string(100, 'x');
  struct Case
  {
    std::string command;
    const char* message;
  };
  const Case cases[] = {
      {Analyze("--format YUY2 --width 80 --height 60 " + odd),
       "file size 9610 is not a whole number of 9600-byte frames"},
      {Analyze("--format ABCD --width 720 --height 480 " + odd), "unknown format 'ABCD'"},
      {Analyze("--format YUY2 --width 64 --height 480 " + odd), "below the minimum of 80x60"},
      {Analyze("--format YUY2 --width 81 --height 60 " + odd), "does not fit the YUY2 layout"},
      {Analyze("--format YUY2 --width 720 --height 480 --fps 0 " + odd),
       "frame rate '0' is not valid"},
      {"head -c 1000 /dev/zero | " + Analyze("--format YUY2 --width 80 --height 60 -"),
       "input ends inside a frame (1000 of 9600 bytes)"},
      {Analyze(y422), "colour space '422' is not supported"},
      {Analyze(deep), "colour space '420p10' is not supported"},
      {Analyze(truncated), "input ends inside a frame"},
      {Analyze(odd), "raw input needs --format, --width and --height"},
      {Analyze((folder / "missing.yuv").string() + " --format YUY2 --width 80 --height 60"),
       "cannot open"},
      {Analyze(""), "no input given"},
      {Render("--format YUY2 --width 720 --height 480 --sequence smpte:x -"),
       "bad sequence part 'smpte:x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const ProcessRun run = Shell(c.command);
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
}

} // namespace
