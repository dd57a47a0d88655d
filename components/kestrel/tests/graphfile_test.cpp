// Graph file names, where a graph file is found, what is read from one, and the run's timing
// with its shortening switch.
#include "kestrel/graphfile.h"
#include "kestrel/runtiming.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using testsupport::CurrentFolder;
using testsupport::TempFolder;

TEST(GraphFiles, NamesFollowVendorFourccWidthAndStandard)
{
  EXPECT_EQ(kestrel::GraphFileName("Custom", "YUY2", 720, "NTSC"), "vb Custom YUY2 720 NTSC.GRF");
  EXPECT_EQ(kestrel::GraphFileName("V4L2", "I420", 352, "PAL"), "vb V4L2 I420 352 PAL.GRF");
}

// The current folder comes first, then the installation's graphs folder.
TEST(GraphFiles, TheCurrentFolderComesBeforeTheInstallation)
{
  TempFolder folder;
  folder.Write("work/vb A YUY2 720 NTSC.GRF", "fakesrc ! fakesink\n");
  folder.Write("graphs/vb A YUY2 720 NTSC.GRF", "fakesrc ! fakesink\n");
  folder.Write("graphs/vb B YUY2 720 NTSC.GRF", "fakesrc ! fakesink\n");
  folder.Write("work/vb C YUY2 720 NTSC.GRF/placeholder", ""); // a folder of that name
  const std::string graphs = folder.File("graphs");
  CurrentFolder current(folder.File("work"));
  EXPECT_EQ(kestrel::FindGraphFile("vb A YUY2 720 NTSC.GRF", graphs), "vb A YUY2 720 NTSC.GRF");
  EXPECT_EQ(kestrel::FindGraphFile("vb B YUY2 720 NTSC.GRF", graphs),
            graphs + "/vb B YUY2 720 NTSC.GRF");
  EXPECT_EQ(kestrel::FindGraphFile("vb C YUY2 720 NTSC.GRF", graphs), "");
  EXPECT_EQ(kestrel::FindGraphFile("vb D YUY2 720 NTSC.GRF", graphs), "");
  EXPECT_EQ(kestrel::FindGraphFile("", graphs), "");
}

TEST(GraphFiles, CommentLinesAreLeftOutOfTheDescription)
{
  TempFolder folder;
  folder.Write("g.GRF",
               "# capture\n  # indented comment\n\nsorrelsim\n  ! fakesink name=\"#1\"\r\n");
  std::string description, error;
  ASSERT_TRUE(kestrel::ReadGraphDescription(folder.File("g.GRF"), &description, &error)) << error;
  EXPECT_EQ(description, "sorrelsim\n  ! fakesink name=\"#1\"\r\n");
}

TEST(GraphFiles, UnreadableEmptyAndHugeFilesAreRefusedWithAReason)
{
  TempFolder folder;
  folder.Write("comments.GRF", "# nothing but this\n\n");
  folder.Write("huge.GRF", std::string((1 << 20) + 1, 'x'));
  struct Case
  {
    const char* file;
    const char* reason;
  };
  for (const Case& c :
       {Case{"missing.GRF", "cannot open"}, Case{"comments.GRF", "describes no graph"},
        Case{"huge.GRF", "more than a graph file holds"}}) {
    SCOPED_TRACE(c.file);
    std::string description, error;
    EXPECT_FALSE(kestrel::ReadGraphDescription(folder.File(c.file), &description, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

// The switch shortens the run but never below the 31 seconds the filter needs to judge the
// whole run; the startup check stays within the filter's startup phase.
TEST(RunTimingTest, TheSwitchShortensTheRunWithinItsLimits)
{
  struct Case
  {
    const char* value; // null: not set
    int startupMs, restMs;
  };
  const Case cases[] = {
      {nullptr, 10000, 170000}, {"", 10000, 170000}, {"abc", 10000, 170000},
      {"31x", 10000, 170000},   {"31", 1722, 29278}, {"90", 5000, 85000},
      {"180", 10000, 170000},   {"5", 1722, 29278},  {"100000", 10000, 170000},
      {"-3", 1722, 29278},
  };
  const char* old = std::getenv(kestrel::kRunSecondsVariable);
  const std::string saved = old ? old : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "unset");
    if (c.value)
      setenv(kestrel::kRunSecondsVariable, c.value, 1);
    else
      unsetenv(kestrel::kRunSecondsVariable);
    const kestrel::RunTiming timing = kestrel::RunTiming::FromEnvironment();
    EXPECT_EQ(timing.startupCheckMs, c.startupMs);
    EXPECT_EQ(timing.restOfRunMs, c.restMs);
    EXPECT_LT(timing.startupCheckMs, 30000);
    EXPECT_GE(timing.startupCheckMs + timing.restOfRunMs, 31000);
  }
  if (old)
    setenv(kestrel::kRunSecondsVariable, saved.c_str(), 1);
  else
    unsetenv(kestrel::kRunSecondsVariable);
}
