// The command line rules and the path resolution of a definition, without running anything.
#include "marlow/commandlinerules.h"
#include "marlow/inisuite.h"

#include "plinth/component.h"

#include "testsupport/logcapture.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testsupport;

TEST(CommandLineRulesTest, MaxExecutionTimeAsTheWaitTakesIt)
{
  const struct
  {
    const char* text;
    std::uint32_t wait;
  } cases[] = {{"0", 0},
               {"-1", 0xFFFFFFFFu},
               {"60000", 60000},
               {"  42", 42},
               {"\t15", 15},
               {"+7", 7},
               {"12abc", 12},
               {"1 000", 1},
               {"abc", 0},
               {"", 0},
               {"-2", 0xFFFFFFFEu},
               {"2147483647", 0x7FFFFFFFu},
               {"99999999999", 0x7FFFFFFFu},
               {"-99999999999", 0x80000000u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(marlow::ParseMaxExecutionTime(c.text), c.wait);
  }
}

TEST(CommandLineRulesTest, PathsStartingWithADotAreInTheFolder)
{
  const struct
  {
    const char* path;
    const char* base;
    const char* resolved;
  } cases[] = {{"./probe.sh", "/defs/", "/defs/probe.sh"},
               {".//logs//a.log", "/defs/", "/defs/logs/a.log"},
               {".", "/defs/", "/defs/"},
               {"../shared/a.log", "/defs/", "/defs/../shared/a.log"},
               {".hidden.log", "/defs", "/defs/.hidden.log"},
               {"./My Logs/A.LOG", "/my defs/", "/my defs/My Logs/A.LOG"},
               {"/abs/a.log", "/defs/", "/abs/a.log"},
               {"rel/a.log", "/defs/", "rel/a.log"},
               {"./probe.sh", "", "./probe.sh"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(marlow::ResolveInFolder(c.path, c.base), c.resolved);
  }
}

TEST(CommandLineRulesTest, ReplacingKeepsCaseAndQuotesWhereNeeded)
{
  const struct
  {
    const char* line;
    const char* what;
    const char* with;
    const char* result;
  } cases[] = {
      {"./p.sh ./Log.txt", "./LOG.TXT", "/d/Log.txt", "./p.sh /d/Log.txt"},
      {"./p.sh ./a.log x ./A.LOG", "./a.log", "/d/a.log", "./p.sh /d/a.log x /d/a.log"},
      {"./p.sh ./a.log", "./a.log", "/my d/a.log", "./p.sh \"/my d/a.log\""},
      {"./p.sh \"./a b.log\"", "./a b.log", "/my d/a b.log", "./p.sh \"/my d/a b.log\""},
      {"./p.sh --log=./a.log", "./a.log", "/my d/a.log", "./p.sh --log=\"/my d/a.log\""},
      {"./p.sh ./a.log", "./b.log", "/d/b.log", "./p.sh ./a.log"},
      {"./p.sh", "", "/d/x", "./p.sh"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(marlow::ReplaceInCommandLine(c.line, c.what, c.with), c.result);
  }
  EXPECT_EQ(marlow::FindIgnoringCase("run PROBE.sh", "probe.SH"), 4u);
  EXPECT_TRUE(marlow::IsInsideQuotes("a \"b c\" d", 4));
  EXPECT_FALSE(marlow::IsInsideQuotes("a \"b c\" d", 8));
  EXPECT_FALSE(marlow::IsInsideQuotes("a \\\"b c", 5));
}

namespace {

class PrepareCommandLineTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    guiLoggingLevel = 0;
    m_folder.Write("my defs/probe.sh", "#!/bin/sh\n");
    m_folder.Write("defs/probe.sh", "#!/bin/sh\n");
  }
  void TearDown() override { guiLoggingLevel = 1; }

  TempFolder m_folder;
  LogCapture m_log;
};

} // namespace

TEST_F(PrepareCommandLineTest, ResolvesTheLogAndTheProgram)
{
  const std::string defs = m_folder.Path() + "/defs/";
  const std::string blank = m_folder.Path() + "/my defs/";
  const struct
  {
    std::string base, image, log, cmd;
    bool ok;
    std::string logOut, cmdOut, line;
  } cases[] = {
      {defs, "probe.sh", "./a.log", "./probe.sh pass ./a.log", true, defs + "a.log",
       defs + "probe.sh pass " + defs + "a.log", ""},
      {defs, "PROBE.SH", "./A.log", "./Probe.sh pass ./a.LOG", false, defs + "A.log",
       "./Probe.sh pass " + defs + "A.log", "Invalid Cmd Line Path"},
      {defs, "probe.sh", "/abs/x.log", defs + "probe.sh /abs/x.log", true, "/abs/x.log",
       defs + "probe.sh /abs/x.log", ""},
      {blank, "probe.sh", "./a b.log", "./probe.sh pass \"./a b.log\"", true, blank + "a b.log",
       "\"" + blank + "probe.sh\" pass \"" + blank + "a b.log\"", ""},
      {blank, "probe.sh", "./a.log", "\"./probe.sh\" ./a.log", true, blank + "a.log",
       "\"" + blank + "probe.sh\" \"" + blank + "a.log\"", ""},
      {defs, "other.exe", "./a.log", "./probe.sh ./a.log", false, defs + "a.log",
       "./probe.sh " + defs + "a.log", "Invalid Image Value"},
      {defs, "missing.sh", "./a.log", "./missing.sh ./a.log", false, defs + "a.log",
       "./missing.sh " + defs + "a.log", "Invalid Cmd Line Path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    m_log.Clear();
    CIniSuite resolver;
    resolver.m_strBaseFolder = c.base;
    std::string log = c.log;
    std::string cmd = c.cmd;
    EXPECT_EQ(resolver.PrepareCommandLine(c.image, false, log, cmd), c.ok);
    EXPECT_EQ(log, c.logOut);
    EXPECT_EQ(cmd, c.cmdOut);
    EXPECT_EQ(m_log.Lines(),
              c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
  }
}
