// --help and --version: the rules, and every program of the build answering them as a user (and
// help2man, without a display) calls it.
#include "platform/standardoptions.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using platform::StandardOption;

TEST(StandardOptionsTest, FindsTheFirstStandardOptionBeforeTheEndOfOptions)
{
  struct Case
  {
    std::vector<std::string> args;
    StandardOption expected;
  };
  const Case cases[] = {
      {{}, StandardOption::None},
      {{"suite.ts"}, StandardOption::None},
      {{"--help"}, StandardOption::Help},
      {{"--version"}, StandardOption::Version},
      {{"-run", "suite.ts", "--help"}, StandardOption::Help},
      {{"--version", "--help"}, StandardOption::Version},
      {{"--help", "--version"}, StandardOption::Help},
      {{"--", "--help"}, StandardOption::None},
      {{"-help", "-version", "--helpme", "--Help", "-h"}, StandardOption::None},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& arg : c.args)
      joined += arg + " ";
    SCOPED_TRACE(joined);
    EXPECT_EQ(platform::FindStandardOption(c.args), c.expected);
  }
}

TEST(StandardOptionsTest, HelpEndsWithTheStandardOptionsOnTheirOwnLines)
{
  const std::string options = "      --help     display this help and exit\n"
                              "      --version  output version information and exit\n";
  EXPECT_EQ(platform::HelpText("Usage: x FILE\n"), "Usage: x FILE\n" + options);
  EXPECT_EQ(platform::HelpText("Usage: x FILE"), "Usage: x FILE\n" + options);
}

TEST(StandardOptionsTest, VersionNamesProgramPackageAndAllFourNumbers)
{
  const std::string text = platform::VersionText("halvex-reg", platform::FileVersion{1, 2, 3, 40});
  EXPECT_EQ(text.substr(0, text.find('\n')), "halvex-reg (Halvex) 1.2.3.40");
  EXPECT_NE(text.find("\nCopyright (C) "), std::string::npos);
  const std::string none = platform::VersionText("parlo", std::nullopt);
  EXPECT_EQ(none.substr(0, none.find('\n')), "parlo (Halvex) unknown");
}

struct Outcome
{
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program of the build without a display, as help2man runs it at build time.
Outcome RunProgram(const testsupport::TempFolder& folder, const std::string& program,
                   const std::string& option, const std::string& stdoutFile = "")
{
  const std::string out = stdoutFile.empty() ? folder.File("out") : stdoutFile;
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                              std::string(std::getenv("HALVEX_BUILD_DIR")) + "/bin/" + program +
                              "' " + option + " >'" + out + "' 2>'" + folder.File("err") + "'";
  const int raw = std::system(command.c_str());
  Outcome outcome;
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (stdoutFile.empty())
    outcome.out = testsupport::ReadAll(out);
  outcome.err = testsupport::ReadAll(folder.File("err"));
  return outcome;
}

// The programs the build installs as commands, one per line, written at configure time.
std::vector<std::string> BuiltPrograms()
{
  std::vector<std::string> programs;
  std::ifstream list(std::string(std::getenv("HALVEX_BUILD_DIR")) + "/programs.txt");
  for (std::string name; std::getline(list, name);)
    if (!name.empty())
      programs.push_back(name);
  return programs;
}

TEST(StandardOptionsTest, EveryProgramAnswersHelpAndVersionWithoutADisplay)
{
  ASSERT_NE(std::getenv("HALVEX_BUILD_DIR"), nullptr) << "run through ctest";
  const std::vector<std::string> programs = BuiltPrograms();
  for (const char* expected : {"halvex", "parlo", "halvex-reg", "halvex-suite"})
    EXPECT_NE(std::find(programs.begin(), programs.end(), expected), programs.end()) << expected;
  testsupport::TempFolder folder;
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    const Outcome help = RunProgram(folder, program, "--help");
    EXPECT_EQ(help.status, 0) << help.err;
    const std::string usage = "Usage: " + program;
    EXPECT_EQ(help.out.rfind(usage, 0), 0u) << help.out;
    EXPECT_TRUE(help.out.size() > usage.size() &&
                (help.out[usage.size()] == ' ' || help.out[usage.size()] == '\n'))
        << help.out;
    EXPECT_NE(help.out.find("\n      --version  output version information and exit\n"),
              std::string::npos);

    const Outcome version = RunProgram(folder, program, "--version");
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out.substr(0, version.out.find('\n')),
              program + " (Halvex) " HALVEX_TEST_VERSION);

    // Other arguments are ignored once a standard option is seen.
    EXPECT_EQ(RunProgram(folder, program, "no-such-file --version").out, version.out);

    const Outcome full = RunProgram(folder, program, "--help", "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find(program + ": write error: "), std::string::npos) << full.err;
  }
}

} // namespace
