// tallow.so through its two exports, with our NTLog.so bound by name: the level table, the
// verdicts, plain mode, NTLog absent, state across calls, long paths and bad input.
#include "tallow_module.h"
#include "test_files.h"

#include <gmock/gmock.h>

#include <set>
#include <vector>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

struct Outcome
{
  int result = -1;
  int32_t status = -1;
};

Outcome Translate(iTranslateToNTLog_fn translate, const std::string& log,
                  const std::string& results)
{
  Outcome outcome;
  outcome.result = translate(log.c_str(), results.c_str(), &outcome.status);
  return outcome;
}

// The NTLog output line that carries the given text.
std::string LineWith(const std::string& ntOutput, const std::string& text)
{
  std::istringstream in(ntOutput);
  for (std::string line; std::getline(in, line);) {
    if (line.find(text) != std::string::npos) {
      return line;
    }
  }
  return "(no line with " + text + ")";
}

std::set<std::string> FilesIn(const std::filesystem::path& folder)
{
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class TallowTest : public ::testing::Test
{
protected:
  TempFolder temp;
  std::string log = temp.File("test.log");
  std::string results = temp.File("results.txt");
  std::string ntOutput = results + "NT";
};

TEST_F(TallowTest, EveryTagLogsAtItsLevelInsideAndOutsideAVariation)
{
  struct Row
  {
    const char* name;
    std::string log;
    const char* expected; // kind and scope columns of the line that says "payload"
  };
  const std::string in = "[Case>] open\n";
  const std::string out = "[Test>] start\n";
  const Row rows[] = {
      {"test start", out + "[Test>] payload\n", "INFO  TEST"},
      {"test end in variation", in + "[<Test] payload\n", "INFO  TEST"},
      {"head", in + "[Head ] payload\n", "INFO  TEST"},
      {"foot", out + "[Foot ] payload\n", "INFO  TEST"},
      {"case start", out + "[Case>] payload\n", "INFO  VAR "},
      {"case end, nothing logged", in + "[<Case] payload\n", "INFO  VAR "},
      {"case end after a warning", in + "[ Warn] w\n[<Case] payload\n", "WARN  VAR "},
      {"case end after a failure", in + "[ Pass] p\n[ Fail] f\n[<Case] payload\n", "FAIL1 VAR "},
      {"case end after a pass", in + "[ Pass] p\n[<Case] payload\n", "PASS  VAR "},
      {"case end outside a variation", out + "[<Case] payload\n", "INFO  VAR "},
      {"information inside", in + "[     ] payload\n", "INFO  VAR "},
      {"information outside", out + "[     ] payload\n", "INFO  TEST"},
      {"pass inside", in + "[ Pass] payload\n", "PASS  VAR "},
      {"pass outside", out + "[ Pass] payload\n", "PASS  TEST"},
      {"fail inside", in + "[ Fail] payload\n", "FAIL1 VAR "},
      {"fail outside", out + "[ Fail] payload\n", "FAIL1 TEST"},
      {"warn inside", in + "[ Warn] payload\n", "WARN  VAR "},
      {"warn outside", out + "[ Warn] payload\n", "WARN  TEST"},
      {"after the case ended", in + "[<Case] x\n[ Pass] payload\n", "PASS  TEST"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TallowModule tallow; // a fresh load: no variation carried in
    WriteFile(log, row.log);
    const Outcome outcome = Translate(tallow.translate, log, results);
    EXPECT_EQ(outcome.result, 1);
    const std::string line = LineWith(ReadFile(ntOutput), "payload");
    EXPECT_THAT(line, HasSubstr(std::string(" ") + row.expected + " p"));
    EXPECT_THAT(line, HasSubstr("tl_main("));
    std::filesystem::remove(results);
  }
}

TEST_F(TallowTest, VerdictsOfTaggedAndPlainLogs)
{
  struct Row
  {
    const char* name;
    std::string log;
    int result;
    int status;
    bool tagged;
  };
  const Row rows[] = {
      {"one passing case", "[Case>] c\n[ Pass] p\n[<Case] e\n", 1, 6, true},
      {"a failure added", "[Case>] c\n[ Pass] p\n[ Fail] f\n[<Case] e\n", 1, 5, true},
      {"a failure added first", "[ Fail] f\n[Case>] c\n[ Pass] p\n[<Case] e\n", 1, 5, true},
      {"test lines only", "[Test>] a\n[<Test] b\n", 1, 5, true},
      {"a warning only", "[ Warn] w\n", 1, 6, true},
      {"an empty line hides a failure", "[ Pass] a\n\n[ Fail] b\n", 1, 6, true},
      {"leading empty lines", "\n\n[ Pass] a\n", 1, 6, true},
      {"tags after untagged lines", "x\n[ Pass] a\n", 0, 5, true},
      {"two passes and a severity 2", "+TEST+PASS\n+TEST+PASS\n+TEST+SEV2\n", 1, 5, false},
      {"a warning marker only", "+TEST+WARN\n", 1, 6, false},
      {"tags after five lines", "1\n2\n3\n4\n5\n[ Pass] late\n", 1, 5, false},
      {"empty log", "", 1, 5, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TallowModule tallow;
    std::filesystem::remove(results);
    std::filesystem::remove(ntOutput);
    WriteFile(results, "earlier results\n");
    WriteFile(log, row.log);
    const Outcome outcome = Translate(tallow.translate, log, results);
    EXPECT_EQ(outcome.result, row.result);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(std::filesystem::exists(ntOutput), row.tagged);
    if (row.tagged) {
      // NTLog's output stays on disk and is appended whole to the results file.
      EXPECT_EQ(ReadFile(results), "earlier results\n" + ReadFile(ntOutput));
      EXPECT_THAT(ReadFile(ntOutput), HasSubstr("flags 0x0201FFFF"));
      EXPECT_THAT(ReadFile(ntOutput), Not(HasSubstr("---- summary")));
    } else {
      EXPECT_EQ(ReadFile(results), "earlier results\n" + row.log + " ");
    }
    EXPECT_EQ(FilesIn(temp.Path()).size(), row.tagged ? 3u : 2u);
  }
}

TEST_F(TallowTest, TextReachesNtlogCleaned)
{
  TallowModule tallow;
  const std::string longText(100 * 1024, 'L');
  WriteFile(log, "[ Pass] caf\xc3\xa9 \x80\xff end\r\n[     ] " + longText +
                     "\n[ Pass] after the long line\n[Foot ] no line end");
  const Outcome outcome = Translate(tallow.translate, log, results);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.status, 6);
  const std::string nt = ReadFile(ntOutput);
  // find(), not HasSubstr: a failure must not print the 100 kB line.
  EXPECT_NE(nt.find("):  caf** ** end\n"), std::string::npos);
  EXPECT_NE(nt.find("):  " + longText + "\n"), std::string::npos);
  EXPECT_NE(nt.find("after the long line"), std::string::npos);
  EXPECT_NE(nt.find("):  no line end\n"), std::string::npos);
}

TEST_F(TallowTest, WithoutNtlogTaggedLogsAreCopiedPlain)
{
  const std::string partial =
      std::string(std::getenv("HALVEX_BUILD_DIR")) + "/tests/fixtures/NTLogPartial.so";
  ASSERT_TRUE(std::filesystem::exists(partial));
  for (const std::string& module :
       {temp.File("nowhere/NTLog.so"), partial, std::string("NoSuchNtLog.dll")}) {
    SCOPED_TRACE(module);
    ScopedEnv env("HALVEX_NTLOG", module);
    TallowModule tallow;
    std::filesystem::remove(results);
    const std::string text = "[Case>] c\n[ Pass] p +TEST+PASS\n[<Case] e\n";
    WriteFile(log, text);
    const Outcome outcome = Translate(tallow.translate, log, results);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.status, 6);
    EXPECT_EQ(ReadFile(results), text + " ");
    EXPECT_FALSE(std::filesystem::exists(ntOutput));
  }
}

TEST_F(TallowTest, InVariationFlagIsCarriedToTheNextCall)
{
  TallowModule tallow;
  WriteFile(log, "[Case>] left open\n[ Pass] first\n");
  EXPECT_EQ(Translate(tallow.translate, log, results).status, 6);
  WriteFile(log, "[     ] second info\n[ Pass] second pass\n[<Case] closed\n[ Pass] third\n");
  EXPECT_EQ(Translate(tallow.translate, log, results).status, 6);
  const std::string nt = ReadFile(ntOutput);
  EXPECT_THAT(LineWith(nt, "second info"), HasSubstr("INFO  VAR "));
  EXPECT_THAT(LineWith(nt, "second pass"), HasSubstr("PASS  VAR "));
  EXPECT_THAT(LineWith(nt, "third"), HasSubstr("PASS  TEST"));
  // The first call's NTLog output was replaced, both reached the results file.
  EXPECT_THAT(nt, Not(HasSubstr("first")));
  EXPECT_THAT(ReadFile(results), HasSubstr("first"));
  EXPECT_THAT(ReadFile(results), HasSubstr("third"));
}

TEST_F(TallowTest, LoadingAgainStartsWithFreshState)
{
  {
    TallowModule tallow;
    WriteFile(log, "[Case>] left open\n");
    Translate(tallow.translateWithStats, log, results);
  }
  TallowModule tallow;
  WriteFile(log, "[ Pass] fresh\n");
  Translate(tallow.translate, log, results);
  const std::string nt = ReadFile(ntOutput);
  EXPECT_THAT(LineWith(nt, "fresh"), HasSubstr("PASS  TEST"));
  EXPECT_THAT(nt, HasSubstr("flags 0x0201FFFF"));
  EXPECT_THAT(nt, Not(HasSubstr("---- summary")));
}

TEST_F(TallowTest, StatisticsOnceAskedForStayOn)
{
  TallowModule tallow;
  WriteFile(log, "[Case>] c\n[ Pass] p\n[<Case] e\n");
  EXPECT_EQ(Translate(tallow.translateWithStats, log, results).status, 6);
  const std::string first = ReadFile(ntOutput);
  WriteFile(log, "[ Fail] f\n");
  EXPECT_EQ(Translate(tallow.translate, log, results).status, 5);
  const std::string second = ReadFile(ntOutput);
  for (const std::string& nt : {first, second}) {
    EXPECT_THAT(nt, HasSubstr("flags 0x0001FFFF"));
    EXPECT_THAT(nt, HasSubstr("---- summary"));
  }
  EXPECT_THAT(first, HasSubstr("verdict     PASS"));
  EXPECT_THAT(second, HasSubstr("verdict     FAIL1"));
}

TEST_F(TallowTest, PathsOfAnyLengthWork)
{
  std::filesystem::path folder = temp.Path();
  for (int i = 0; i < 8; ++i) {
    folder /= std::string(180, static_cast<char>('a' + i));
  }
  std::filesystem::create_directories(folder);
  const std::string longLog = (folder / "a-log-with-a-long-name.log").string();
  const std::string longResults = (folder / std::string(200, 'r')).string();
  ASSERT_GT(longLog.size(), 1100u);
  ASSERT_GT(longResults.size(), 1100u);
  for (bool ntlog : {true, false}) {
    SCOPED_TRACE(ntlog ? "tagged" : "plain");
    std::unique_ptr<ScopedEnv> env;
    if (!ntlog) {
      env = std::make_unique<ScopedEnv>("HALVEX_NTLOG", "NoSuchNtLog.dll");
    }
    TallowModule tallow;
    std::filesystem::remove(longResults);
    std::filesystem::remove(longResults + "NT");
    WriteFile(longLog, "[ Pass] long paths +TEST+PASS\n");
    const Outcome outcome = Translate(tallow.translate, longLog, longResults);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.status, 6);
    EXPECT_THAT(ReadFile(longResults), HasSubstr("long paths"));
    EXPECT_EQ(std::filesystem::exists(longResults + "NT"), ntlog);
  }
}

TEST_F(TallowTest, BadInputFailsCleanlyAndWritesNothingElse)
{
  TallowModule tallow;
  WriteFile(log, "[ Pass] p\n");
  struct Row
  {
    const char* name;
    std::string log;
    std::string results;
  };
  const Row rows[] = {
      {"missing results folder", log, temp.File("missing/results.txt")},
      {"missing log", temp.File("absent.log"), results},
      {"log is a folder", temp.Path(), results},
      {"empty log path", "", results},
      {"empty results path", log, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome outcome = Translate(tallow.translate, row.log, row.results);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.status, 5);
    EXPECT_EQ(FilesIn(temp.Path()), std::set<std::string>{"test.log"});
  }
  // A log that would be its own results file or NTLog output is refused, and kept.
  const std::string logNamedLikeOutput = temp.File("r.txtNT");
  WriteFile(logNamedLikeOutput, "[ Pass] keep me\n");
  for (const auto& [from, to] :
       {std::pair{log, log}, std::pair{logNamedLikeOutput, temp.File("r.txt")}}) {
    SCOPED_TRACE(from + " -> " + to);
    const Outcome outcome = Translate(tallow.translate, from, to);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.status, 5);
  }
  EXPECT_EQ(ReadFile(log), "[ Pass] p\n");
  EXPECT_EQ(ReadFile(logNamedLikeOutput), "[ Pass] keep me\n");
  EXPECT_FALSE(std::filesystem::exists(temp.File("r.txt")));
  std::filesystem::remove(logNamedLikeOutput);

  int32_t status = -1;
  EXPECT_EQ(tallow.translate(nullptr, results.c_str(), &status), 0);
  EXPECT_EQ(status, 5);
  EXPECT_EQ(tallow.translate(log.c_str(), nullptr, &status), 0);
  EXPECT_EQ(tallow.translate(log.c_str(), results.c_str(), nullptr), 0);
  EXPECT_EQ(FilesIn(temp.Path()), std::set<std::string>{"test.log"});
}

TEST_F(TallowTest, BinaryJunkIsTranslatedWithoutHarm)
{
  TallowModule tallow;
  std::string junk;
  unsigned seed = 99;
  for (int i = 0; i < 300000; ++i) {
    seed = seed * 1103515245 + 12345;
    junk += static_cast<char>(seed >> 16);
  }
  for (const std::string& bytes : {junk, "[ Pass] x\n[" + junk, "[Case>]" + junk}) {
    std::filesystem::remove(results);
    WriteFile(log, bytes);
    const Outcome outcome = Translate(tallow.translate, log, results);
    EXPECT_TRUE(outcome.result == 0 || outcome.result == 1);
    EXPECT_TRUE(outcome.status == 5 || outcome.status == 6);
    for (const auto& name : FilesIn(temp.Path())) {
      EXPECT_TRUE(name == "test.log" || name == "results.txt" || name == "results.txtNT") << name;
    }
  }
}

} // namespace
