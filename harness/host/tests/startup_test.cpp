// Start-up decisions: command line, keys, execution state, the marlow path, run-time version.
#include "harness/commandline.h"
#include "harness/startup.h"
#include "mapstore.h"

#include <gtest/gtest.h>

namespace harness::test {
namespace {

TEST(CommandLine, RunFlagFileAndOtherFlags)
{
  struct Case
  {
    std::vector<std::string> args;
    std::string file;
    bool run;
  } cases[] = {
      {{}, "", false},
      {{"a.ts"}, "a.ts", false},
      {{"-run", "a.ts"}, "a.ts", true},
      {{"/run", "a.ts"}, "a.ts", true},
      {{"a.ts", "-run"}, "a.ts", false}, // the flag counts only with a parameter after it
      {{"-run"}, "", false},
      {{"-Run", "a.ts"}, "a.ts", false}, // compared case-sensitively
      {{"/RUN", "a.ts"}, "/RUN", false}, // not a known flag: a path
      {{"/home/x/suite.ts"}, "/home/x/suite.ts", false},
      {{"-run", "/home/x/suite.ts"}, "/home/x/suite.ts", true},
      {{"-Embedding", "b.ts", "c.ts"}, "b.ts", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    CommandLineInfo info = ParseCommandLine(c.args);
    EXPECT_EQ(info.m_strFileName, c.file);
    EXPECT_EQ(info.m_bRunMode, c.run);
  }
  EXPECT_TRUE(ParseCommandLine({"-embedding"}).m_bEmbedded);
  EXPECT_TRUE(ParseCommandLine({"/Automation"}).m_bAutomated);
}

TEST(CommandLine, ReportOptionsTakeTheirFile)
{
  struct Case
  {
    std::vector<std::string> args;
    std::string file;
    bool run;
    std::string junit;
    std::string json;
  } cases[] = {
      {{"-run", "a.ts", "--junit", "j.xml", "--json", "r.json"}, "a.ts", true, "j.xml", "r.json"},
      {{"--junit", "j.xml", "-run", "a.ts"}, "a.ts", true, "j.xml", ""},
      {{"-json", "r.json", "a.ts"}, "a.ts", false, "", "r.json"},
      {{"a.ts", "--junit"}, "a.ts", false, "", ""}, // names no file
      {{"-run", "--json", "r.json"}, "", true, "", "r.json"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    CommandLineInfo info = ParseCommandLine(c.args);
    EXPECT_EQ(info.m_strFileName, c.file);
    EXPECT_EQ(info.m_bRunMode, c.run);
    EXPECT_EQ(info.m_strJUnitPath, c.junit);
    EXPECT_EQ(info.m_strJsonPath, c.json);
  }
}

TEST(StartupKeys, DerivedFromTheRootKey)
{
  EXPECT_EQ(ComponentDllsKey("SOFTWARE\\Orvane\\Halvex"),
            "SOFTWARE\\Orvane\\Halvex\\ComponentDlls");
  EXPECT_EQ(TestExecutionKey("SOFTWARE\\Orvane\\Halvex"),
            "SOFTWARE\\Orvane\\Halvex\\TestExecution");
  EXPECT_EQ(ConfigurationIniPath("/opt/halvex/bin"), "/opt/halvex/bin/halvex.ini");
}

TEST(StartupStatus, BatchResumeInAnyCaseElsePrebootbatch)
{
  struct Case
  {
    std::string stored;
    std::string expected;
  } cases[] = {{"BatchResume", "BatchResume"}, {"batchresume", "BatchResume"},
               {"BATCHRESUME", "BatchResume"}, {"Prebootbatch", "Prebootbatch"},
               {"", "Prebootbatch"},           {"BatchResume ", "Prebootbatch"},
               {"anything", "Prebootbatch"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(NormaliseTestExecutionStatus(c.stored), c.expected);
  }
}

TEST(StartupStatus, MissingKeyIsCreatedWithItsFirstValues)
{
  MapStore store;
  const std::string root = "SOFTWARE\\Orvane\\Halvex";
  EXPECT_EQ(ReadTestExecutionStatus(store, root), "Prebootbatch");
  EXPECT_EQ(store.keys.count(root + "\\TestExecution"), 1u);
  EXPECT_EQ(store.strings[root + "\\TestExecution|TestExecutionStatus"], "Prebootbatch");
  EXPECT_EQ(store.dwords[root + "\\TestExecution|RunAllStatus"], 1u);

  store.strings[root + "\\TestExecution|TestExecutionStatus"] = "batchRESUME";
  EXPECT_EQ(ReadTestExecutionStatus(store, root), "BatchResume");
  store.strings.clear();
  EXPECT_EQ(ReadTestExecutionStatus(store, root), "Prebootbatch");
}

TEST(StartupStatus, WrittenBackOnlyWhereTheKeyIs)
{
  MapStore store;
  const std::string root = "SOFTWARE\\Orvane\\Halvex";
  EXPECT_FALSE(WriteTestExecutionStatus(store, root, "Prebootbatch"));
  EXPECT_TRUE(store.strings.empty());
  store.keys.insert(root + "\\TestExecution");
  EXPECT_TRUE(WriteTestExecutionStatus(store, root, "Prebootbatch"));
  EXPECT_EQ(store.strings[root + "\\TestExecution|TestExecutionStatus"], "Prebootbatch");
  store.failing = {"TestExecutionStatus"};
  EXPECT_FALSE(WriteTestExecutionStatus(store, root, "BatchResume"));
}

TEST(StartupMarlow, PathIsPlainConcatenation)
{
  EXPECT_EQ(MarlowPath("/opt/h/test/bin/"), "/opt/h/test/bin/Marlow.dll");
  // Without a trailing separator the path is wrong, and the load then fails.
  EXPECT_EQ(MarlowPath("/opt/h/test/bin"), "/opt/h/test/binMarlow.dll");
}

TEST(StartupRuntime, VersionComparedAsMajorAndMinor)
{
  struct Case
  {
    unsigned major, minor;
    bool passes;
  } cases[] = {{4, 70, true}, {4, 71, true},  {4, 0, false},
               {5, 0, true},  {3, 99, false}, {4, 69, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.major << "." << c.minor);
    EXPECT_EQ(RuntimeVersionSufficient(c.major, c.minor, 4, 70), c.passes);
  }
  unsigned major = 0, minor = 0;
  ASSERT_TRUE(ParseRuntimeVersion("6.4.2", major, minor));
  EXPECT_EQ(major, 6u);
  EXPECT_EQ(minor, 4u);
  EXPECT_FALSE(ParseRuntimeVersion("x", major, minor));
}

} // namespace
} // namespace harness::test
