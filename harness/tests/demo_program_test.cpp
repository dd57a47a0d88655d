// The harness program on the demo definitions: Marlow's components load at start-up, a suite
// built by halvex-suite opens, and the program ends cleanly with its test cases' module.
#include "platform/regkey.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace harness::test {

using namespace testsupport;
namespace {

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int RunCommand(const std::string& command)
{
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(DemoProgram, OpensASuiteOfMarlowTestCasesAndEndsCleanly)
{
  TempFolder root;
  const std::string build = std::getenv("HALVEX_BUILD_DIR") ? std::getenv("HALVEX_BUILD_DIR") : ".";
  setenv("HALVEX_REGISTRY", root.File("registry.db").c_str(), 1);
  const std::string key = "SOFTWARE\\Orvane\\Halvex";
  {
    CRegKey settings;
    ASSERT_EQ(settings.CreateKeyString(platform::HKEY_LOCAL_MACHINE, key), 0);
    settings.WriteString("InstallationFolder", root.Path());
    settings.WriteString("INIFilesFolder", build + "/share/halvex/demo/definitions/");
    settings.WriteString("DefaultLoggingFolder", root.Path());
    settings.WriteString("LogFilePath", root.File("log.txt"));
    settings.WriteString("ResultsFilePath", root.File("results.txt"));
    settings.WriteString("TestSuitesFolder", root.Path());
    settings.WriteDword("LoggingLevel", 2);
    CRegKey dlls;
    ASSERT_EQ(dlls.CreateKeyString(platform::HKEY_LOCAL_MACHINE, key + "\\ComponentDlls"), 0);
  }
  const std::string suite = root.File("demo.ts");
  ASSERT_EQ(RunCommand(build + "/bin/halvex-suite new '" + suite + "' --name Demo"), 0);
  ASSERT_EQ(RunCommand(build + "/bin/halvex-suite add '" + suite +
                       "' --test 'Demo Tagged Tests/Tagged pass' --iterations 2"),
            0);
  const int code = RunCommand("HALVEX_UNATTENDED=1 HALVEX_QUIT_AFTER_MS=1500 " + build +
                              "/bin/halvex '" + suite + "' 2>'" + root.File("err.txt") + "'");
  const std::string err = ReadFile(root.File("err.txt"));
  EXPECT_EQ(code, 0) << err;
  EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
  const std::string log = ReadFile(root.File("log.txt"));
  EXPECT_NE(log.find("The Demo Tagged Tests Component DLL was successfully loaded."),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("cannot be read"), std::string::npos) << log;
  unsetenv("HALVEX_REGISTRY");
}

} // namespace
} // namespace harness::test
