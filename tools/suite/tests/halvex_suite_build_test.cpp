// halvex-suite new, add and list-tests: the real program, a private registry and the real
// Marlow plug-in over a folder of definitions.
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"
#include "toolrun.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

using namespace testsupport;
using suitetest::RunTool;
using suitetest::ToolRun;
using testsupport::ReadAll;

namespace {

class HalvexSuiteBuildTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", m_folder.Path() + "/defs/");
    CRegKey entry;
    ASSERT_EQ(entry.CreateKeyString(platform::HKEY_LOCAL_MACHINE,
                                    std::string(kComponentDllsKey) + "\\Marlow"),
              0);
    ASSERT_EQ(entry.WriteString("DllPath", MARLOW_MODULE), 0);
    m_folder.Write("defs/lab.ini",
                   "[test suite]\nFriendlyName=Lab Tests\nSummaryLog=s\nLogEditor=e\n"
                   "[test case1]\nFriendlyName=Probe pass\nImage=probe.sh\n"
                   "Cmdline=./probe.sh pass\nLogfile=./probe.log\nMaxExecutionTime=5000\n"
                   "[test case2]\nFriendlyName=Boot/DOS\nReturn=DOS\nImage=B.EXE\n"
                   "Cmdline=B.EXE\nLogfile=C:\\B.LOG\n");
    m_folder.Write("defs/video.ini",
                   "[test suite]\nFriendlyName=Video\nSummaryLog=s\nLogEditor=e\n"
                   "[test case1]\nFriendlyName=Capture\nImage=c.sh\nCmdline=c.sh\n"
                   "Logfile=c.log\nMaxExecutionTime=100\n");
  }

  ToolRun Tool(const std::string& args) const { return RunTool(args, m_folder.Path()); }

  std::string Suite() const { return m_folder.File("suite.ts"); }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
};

} // namespace

TEST_F(HalvexSuiteBuildTest, ListsTheRegisteredComponentsAndTheirTests)
{
  const ToolRun run = Tool("list-tests");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Lab Tests (model Default)\n"
                     "  Lab Tests/Probe pass\n"
                     "  Lab Tests/Boot/DOS\n"
                     "Video (model Default)\n"
                     "  Video/Capture\n");
}

TEST_F(HalvexSuiteBuildTest, NewThenAddThenDump)
{
  ToolRun run = Tool("new " + Suite() + " --name Nightly");
  ASSERT_EQ(run.status, 0) << run.err;
  run = Tool("add " + Suite() + " --test 'Lab Tests/Probe pass' --iterations 3");
  ASSERT_EQ(run.status, 0) << run.err;
  run = Tool("add " + Suite() + " --test 'lab tests/Boot/DOS'");
  ASSERT_EQ(run.status, 0) << run.err;

  // The registered Marlow module is loaded as the harness loads it: no --load needed.
  run = Tool("dump " + Suite());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("name: Nightly\npath: " + Suite() + "\ncomponent: Lab Tests\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("test cases: 2\n"
                         "test case 1: CTestcaseEx\n"
                         "  class name: Lab Tests\n"
                         "  label: Probe pass\n"
                         "  model: \n"
                         "  iterations: 3\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  label: Boot/DOS\n  model: \n  iterations: 1\n"), std::string::npos)
      << run.out;
  // The definition's own fields travel in the file.
  const std::string bytes = ReadAll(Suite());
  EXPECT_NE(bytes.find("./probe.sh pass"), std::string::npos);
  EXPECT_NE(bytes.find("Prebootbatch"), std::string::npos);

  // A test case of another component makes the component text the one for several.
  run = Tool("add " + Suite() + " --test Video/Capture");
  ASSERT_EQ(run.status, 0) << run.err;
  // Named once more, the module is only counted again.
  run = Tool("dump " + Suite() + " --load " + MARLOW_MODULE);
  EXPECT_NE(run.out.find("component: Several components\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("test cases: 3\n"), std::string::npos) << run.out;
}

TEST_F(HalvexSuiteBuildTest, RefusalsLeaveTheSuiteAsItWas)
{
  ASSERT_EQ(Tool("new " + Suite() + " --name Nightly").status, 0);
  const std::string before = ReadAll(Suite());
  const struct
  {
    const char* name;
    std::string args;
    std::string message;
  } cases[] = {
      {"new over an existing file", "new " + Suite() + " --name Other", "exists already"},
      {"unknown test", "add " + Suite() + " --test 'Lab Tests/Nothing'", "no test case"},
      {"unknown component", "add " + Suite() + " --test 'Nobody/Probe pass'", "no test case"},
      {"no slash", "add " + Suite() + " --test Lab", "no test case"},
      {"zero iterations", "add " + Suite() + " --test 'Lab Tests/Probe pass' --iterations 0",
       "--iterations"},
      {"iterations not a number",
       "add " + Suite() + " --test 'Lab Tests/Probe pass' --iterations x", "--iterations"},
      {"missing --test", "add " + Suite(), "usage"},
      {"missing file", "add " + m_folder.File("none.ts") + " --test 'Lab Tests/Probe pass'",
       "cannot open"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(Suite()), before);
  }
  ASSERT_EQ(chmod(Suite().c_str(), 0444), 0);
  const ToolRun run = Tool("add " + Suite() + " --test 'Lab Tests/Probe pass'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("read-only"), std::string::npos) << run.err;
  EXPECT_EQ(ReadAll(Suite()), before);
}

TEST_F(HalvexSuiteBuildTest, DamagedSuiteIsNotOverwritten)
{
  m_folder.Write("suite.ts", std::string("\x01\x00\xFF\xFF\x01\x00\x0B\x00"
                                         "CTestca",
                                         15));
  const ToolRun run = Tool("add " + Suite() + " --test 'Lab Tests/Probe pass'");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("at byte"), std::string::npos) << run.err;
  EXPECT_EQ(ReadAll(Suite()).size(), 15u);
}

TEST_F(HalvexSuiteBuildTest, VerboseShowsTheComponentLog)
{
  const ToolRun run = Tool("list-tests --verbose");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("halvex-suite: log: The Lab Tests Component DLL was successfully loaded."),
            std::string::npos)
      << run.err;
}
