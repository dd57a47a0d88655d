// The demo definitions run for real through Execute, from a private copy of their folder: each
// test case gives the verdict its name promises, and nothing a demo program started is left
// running afterwards.
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"

#include "platform/process.h"
#include "platform/subreaper.h"

#include "testsupport/doslayout.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <unistd.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// Processes still running that a Process of this program started, or that they started.
std::vector<std::string> SurvivingMarkedProcesses()
{
  const std::string mark =
      std::string(platform::kProcessTreeVariable) + "=" + std::to_string(getpid()) + ".";
  std::vector<std::string> survivors;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream in(entry.path() / "environ", std::ios::binary);
    const std::string environment((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (environment.find('\0' + mark) != std::string::npos || environment.rfind(mark, 0) == 0)
      survivors.push_back(name);
  }
  return survivors;
}

} // namespace

TEST(DemoDefinitions, EveryTestCaseGivesTheVerdictItsNamePromises)
{
  ASSERT_TRUE(platform::BecomeChildSubreaper());
  TempFolder folder;
  PrivateRegistry registry{folder};
  registry.SeedRoot("/opt/halvex", "");
  LogCapture log;
  guiLoggingLevel = 0;
  const char* source = std::getenv("HALVEX_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  // On DOS's C:, so that DOS reaches the DOS test programs.
  DosLayout dos{folder};
  const std::string definitions = dos.File("DEFS");
  fs::copy(std::string(source) + "/share/demo/definitions", definitions,
           fs::copy_options::recursive);

  const std::map<std::string, uint32_t> promised = {
      {"Tagged pass", kTestStatusPassed},
      {"Tagged fail", kTestStatusFailed},
      {"Tagged warning", kTestStatusPassed},
      {"Plain pass", kTestStatusPassed},
      {"Plain fail", kTestStatusFailed},
      {"Slow program fails at its limit", kTestStatusFailed},
      {"Missing program fails", kTestStatusFailed},
      // Prepared for the DOS pass; DOS runs them after the restart (dos_run_test.cpp).
      {"Memory test under DOS", kTestStatusPrepared},
      {"Memory fault under DOS", kTestStatusPrepared},
  };
  std::size_t run = 0;
  for (const char* file : {"demo_tagged.ini", "demo_plain.ini", "demo_dos.ini"}) {
    CIniComponent component(nullptr, definitions + "/" + file);
    components::SetCurrentComponent(&component);
    component.m_strResultsFilePath = folder.File("results.txt");
    for (CTestCase* pTestCase : component.m_TestCaseList) {
      SCOPED_TRACE(pTestCase->GetLabel());
      const auto expected = promised.find(pTestCase->GetLabel());
      ASSERT_NE(expected, promised.end());
      log.Clear();
      EXPECT_EQ(pTestCase->Execute(), expected->second) << log.All();
      EXPECT_EQ(SurvivingMarkedProcesses(), std::vector<std::string>{});
      ++run;
    }
  }
  EXPECT_EQ(run, promised.size());
  EXPECT_TRUE(fs::exists(definitions + "/logs/tagged-pass.log"));
  EXPECT_EQ(ReadAll(dos.BatchFile("Marlow.bat")).find("\r\ncall Memor"), 0u);
}
