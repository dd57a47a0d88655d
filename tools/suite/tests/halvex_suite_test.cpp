// Runs the real halvex-suite program on suites written here.
#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include "testsupport/privateregistry.h"
#include "toolrun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using suitetest::RunTool;
using suitetest::ToolRun;

namespace {

class HalvexSuiteTest : public ::testing::Test
{
protected:
  std::string File(const std::string& name) const { return folder_.File(name); }

  ToolRun Tool(const std::string& args) const { return RunTool(args, folder_.Path()); }

  // Writes a suite of one CTestCase and one test case of the probe module's class.
  void WriteSuite(const std::string& path)
  {
    void* module = dlopen(PLINTH_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    {
      CTestSuite suite;
      auto* plain = new CTestCase;
      plain->m_strClassName = "Marlow";
      plain->m_strLabel = "Boot check";
      plain->m_strModelName = "Default";
      plain->m_nIterations = 3;
      plain->m_dwStatus = 6;
      suite.push_back(plain);
      CObject* plugin = CRuntimeClass::CreateObject("CPluginCase");
      ASSERT_NE(plugin, nullptr);
      auto* pluginCase = static_cast<CTestCase*>(plugin);
      pluginCase->m_strLabel = "From plug-in";
      suite.push_back(pluginCase);
      suite.m_strName = "Nightly";
      suite.m_strPath = path;
      suite.m_strComponent = "Marlow";
      suite.m_dwSuiteValue = 42;
      CFile file;
      ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate));
      CArchive ar(&file, CArchive::store, 4096);
      suite.Serialize(ar);
      ASSERT_TRUE(ar.Close());
    }
    dlclose(module);
  }

  testsupport::TempFolder folder_;
  // dump loads the registered components: none here.
  testsupport::PrivateRegistry registry_{folder_};
};

TEST_F(HalvexSuiteTest, DumpsASuiteWrittenByTheLibrary)
{
  const std::string path = File("nightly.ts");
  WriteSuite(path);
  ToolRun run = Tool("dump " + path + " --load " PLINTH_PROBE_MODULE);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string expected = "name: Nightly\n"
                               "path: " +
                               path +
                               "\n"
                               "component: Marlow\n"
                               "value: 42\n"
                               "test cases: 2\n"
                               "test case 1: CTestCase\n"
                               "  class name: Marlow\n"
                               "  label: Boot check\n"
                               "  model: Default\n"
                               "  iterations: 3\n"
                               "  status: 6 (passed)\n"
                               "test case 2: CPluginCase\n"
                               "  class name: Probe Component\n"
                               "  label: From plug-in\n"
                               "  model: \n"
                               "  iterations: 1\n"
                               "  status: 1 (cleared)\n";
  EXPECT_EQ(run.out, expected);
}

// A module named "X.dll" is loaded as "X.so", the way the harness names its plug-ins.
TEST_F(HalvexSuiteTest, LoadsADllNameAsTheSharedObject)
{
  const std::string path = File("nightly.ts");
  WriteSuite(path);
  std::filesystem::copy_file(PLINTH_PROBE_MODULE, File("Probe.so"));
  ToolRun run = Tool("dump " + path + " --load " + File("Probe.DLL"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("test case 2: CPluginCase\n"), std::string::npos) << run.out;
}

TEST_F(HalvexSuiteTest, DamagedFilesGiveTheCauseAndOffset)
{
  const std::string path = File("nightly.ts");
  WriteSuite(path);
  const std::string cut = File("cut.ts");
  std::filesystem::copy_file(path, cut);
  ASSERT_EQ(truncate(cut.c_str(), 30), 0);
  struct Case
  {
    const char* name;
    std::string args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"class of a module not loaded", "dump " + path, 2,
       // count 2, CTestCase class record 15, its fields 7 + 11 + 8 + 4 + 4
       path + ": unknown or unexpected class \"CPluginCase\" at byte 51\n"},
      {"cut file", "dump " + cut + " --load " PLINTH_PROBE_MODULE, 2,
       cut + ": unexpected end of file at byte"},
      {"missing file", "dump " + File("none.ts"), 1, "cannot open"},
      {"missing module", "dump " + path + " --load " + File("Nowhere.dll"), 1, "cannot load"},
      {"no command", "", 1, "usage"},
      {"no file", "dump --load " PLINTH_PROBE_MODULE, 1, "usage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// An unknown option gives the usage once, not a doubled heading.
TEST_F(HalvexSuiteTest, UnknownOptionGivesTheUsageOnce)
{
  for (const std::string command : {"new", "add", "list-tests"}) {
    SCOPED_TRACE(command);
    ToolRun run = Tool(command + " " + File("x.ts") + " --bogus");
    EXPECT_EQ(run.status, 1);
    std::size_t headings = 0;
    for (std::size_t at = run.err.find("usage:"); at != std::string::npos;
         at = run.err.find("usage:", at + 1))
      ++headings;
    EXPECT_EQ(headings, 1u) << run.err;
    EXPECT_NE(run.err.find("halvex-suite add FILE.ts"), std::string::npos) << run.err;
  }
}

} // namespace
