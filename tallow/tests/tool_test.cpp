// halvex-tallow as a test-program author runs it: verdicts, modes and exit codes.
#include "test_files.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <sys/wait.h>

using ::testing::HasSubstr;

namespace {

struct ToolRun
{
  int exitCode = -1;
  std::string output;
};

ToolRun RunTool(const std::string& arguments, const std::string& environment = "")
{
  const std::string tool = std::string(std::getenv("HALVEX_BUILD_DIR")) + "/bin/halvex-tallow";
  const std::string command = environment + " '" + tool + "' " + arguments + " 2>&1";
  ToolRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    return run;
  }
  char block[4096];
  while (std::size_t got = std::fread(block, 1, sizeof block, pipe)) {
    run.output.append(block, got);
  }
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(HalvexTallowTest, VerdictsModesAndExitCodes)
{
  struct Row
  {
    const char* name;
    std::string log;
    const char* options;
    const char* environment;
    int exitCode;
    std::vector<std::string> says;
  };
  const Row rows[] = {
      {"passing case",
       "[Case>] c\n[ Pass] p\n[<Case] e\n",
       "",
       "",
       0,
       {"mode:    tagged", "1 pass, 0 fail, 0 warn", "verdict: passed (status 6)", "resultsNT"}},
      {"failure added",
       "[Case>] c\n[ Pass] p\n[ Fail] f\n[<Case] e\n",
       "",
       "",
       1,
       {"1 pass, 1 fail", "verdict: failed (status 5)"}},
      {"test lines only",
       "[Test>] a\n[<Test] b\n",
       "--stats",
       "",
       1,
       {"with statistics", "verdict: failed"}},
      {"empty line stops reading",
       "[ Pass] a\n\n[ Fail] b\n",
       "",
       "",
       0,
       {"stopped: line 2", "verdict: passed"}},
      {"untagged lines first",
       "x\n[ Pass] a\n",
       "",
       "",
       2,
       {"could not translate: the log does not begin with a tag"}},
      {"plain markers",
       "+TEST+PASS\n+TEST+PASS\n+TEST+SEV2\n",
       "",
       "",
       1,
       {"mode:    plain (no tag in the first five lines", "+TEST+PASS 2", "+TEST+SEV2 1",
        "verdict: failed"}},
      {"plain warning", "+TEST+WARN\n", "", "", 0, {"mode:    plain", "verdict: passed"}},
      {"NTLog absent",
       "[ Pass] p\n",
       "",
       "HALVEX_NTLOG=/nonexistent/NTLog.so",
       1,
       {"mode:    plain (NTLog not loaded", "copied to"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder temp;
    WriteFile(temp.File("log"), row.log);
    const ToolRun run =
        RunTool("'" + temp.File("log") + "' '" + temp.File("results") + "' " + row.options,
                row.environment);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.output;
    for (const std::string& text : row.says) {
      EXPECT_THAT(run.output, HasSubstr(text));
    }
  }
}

TEST(HalvexTallowTest, BadUseIsExplained)
{
  TempFolder temp;
  for (const std::string& arguments : {std::string(""), std::string("only-one"),
                                       std::string("a b c"), std::string("a b --bogus")}) {
    SCOPED_TRACE(arguments);
    const ToolRun run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.output, HasSubstr("Usage: halvex-tallow LOG RESULTS [--stats]"));
  }
  const ToolRun missing = RunTool("'" + temp.File("absent") + "' '" + temp.File("results") + "'");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_THAT(missing.output, HasSubstr("could not translate: cannot open"));
}

} // namespace
