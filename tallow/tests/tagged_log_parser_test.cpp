// The log readers on their own: tag lookup, the tagged grammar, tagged-log detection, markers
// and plain copying.
#include "plain_log.h"
#include "tag_table.h"
#include "tagged_log_parser.h"
#include "test_files.h"

#include <gmock/gmock.h>

#include <memory>
#include <utility>
#include <vector>

using namespace tallow;
using ::testing::ElementsAreArray;

namespace {

struct ParsedLog
{
  ParseOutcome outcome;
  std::vector<std::pair<int, std::string>> lines;
};

std::unique_ptr<std::FILE, int (*)(std::FILE*)> MemoryStream(const std::string& bytes)
{
  // fmemopen of an empty buffer fails; a stream over a file works for every input.
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return {file, &std::fclose};
}

ParsedLog Parse(const std::string& bytes)
{
  ParsedLog parsed;
  auto stream = MemoryStream(bytes);
  parsed.outcome = ParseTaggedLog(stream.get(), [&](TagIndex tag, const std::string& text) {
    parsed.lines.emplace_back(tag, text);
  });
  return parsed;
}

bool Tagged(const std::string& bytes)
{
  auto stream = MemoryStream(bytes);
  return IsTaggedLog(stream.get());
}

TEST(TagTableTest, TagsAreComparedExactly)
{
  for (std::size_t i = 0; i < kTagTable.size(); ++i) {
    SCOPED_TRACE(kTagTable[i]);
    EXPECT_EQ(FindTag(kTagTable[i]), static_cast<TagIndex>(i));
  }
  for (const char* other : {"[test>]", "[Pass]", "[ pass]", "[    ]", "[      ]", "[ Fail ]",
                            "[Case>", "Case>]", "[]", "", "[<CASE]"}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(FindTag(other), kUnknownTag);
  }
}

TEST(TaggedLogParserTest, LinesTextsCountsAndResult)
{
  using Lines = std::vector<std::pair<int, std::string>>;
  struct Row
  {
    const char* name;
    std::string log;
    int result;
    Lines lines;
    int passes, failures, warnings;
    long stoppedAtLine;
  };
  const Row rows[] = {
      {"one passing case",
       "[Case>] one\n[ Pass] it works\n[<Case] done\n",
       1,
       {{kCaseStart, " one"}, {kPass, " it works"}, {kCaseEnd, " done"}},
       1,
       0,
       0,
       0},
      {"a failure anywhere",
       "[ Fail]x\n[Case>]\n[ Pass]\n[<Case]\n",
       1,
       {{kFail, "x"}, {kCaseStart, ""}, {kPass, ""}, {kCaseEnd, ""}},
       1,
       1,
       0,
       0},
      {"bytes of 0x80 and above become stars",
       "[     ] caf\xc3\xa9 \xff!\n",
       1,
       {{kInformation, " caf** *!"}},
       0,
       0,
       0,
       0},
      {"a NUL in the text becomes a star",
       std::string("[ Warn] a\0b\n", 12),
       1,
       {{kWarn, " a*b"}},
       0,
       0,
       1,
       0},
      {"last line without a line end keeps its text",
       "[Head ] head\n[Foot ] the very end",
       1,
       {{kHead, " head"}, {kFoot, " the very end"}},
       0,
       0,
       0,
       0},
      {"an empty line ends the parsing",
       "[ Pass] a\n\n[ Fail] b\n",
       1,
       {{kPass, " a"}},
       1,
       0,
       0,
       2},
      {"leading empty lines are skipped",
       "\n\r\n\n[Test>] t\n[<Test] u\n",
       1,
       {{kTestStart, " t"}, {kTestEnd, " u"}},
       0,
       0,
       0,
       0},
      {"CR LF line ends are not part of the text",
       "[ Pass] a\r\n[ Warn] b\r\n",
       1,
       {{kPass, " a"}, {kWarn, " b"}},
       1,
       0,
       1,
       0},
      {"untagged lines first: result 0", "hello\n[ Pass] a\n", 0, {}, 0, 0, 0, 1},
      {"empty log: result 0", "", 0, {}, 0, 0, 0, 0},
      {"unknown tags log nothing and count nothing",
       "[Note ] x\n[ Pass] y\n[ Pass\n[ Fail]z\n",
       1,
       {{kPass, " y"}, {kFail, "z"}},
       1,
       1,
       0,
       0},
      {"a line not beginning with [ ends the parsing",
       "[ Pass] a\n x [ Fail]\n",
       1,
       {{kPass, " a"}},
       1,
       0,
       0,
       2},
      {"tag text may hold brackets", "[ Pass]] [x]\n", 1, {{kPass, "] [x]"}}, 1, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ParsedLog parsed = Parse(row.log);
    EXPECT_EQ(parsed.outcome.result, row.result);
    EXPECT_THAT(parsed.lines, ElementsAreArray(row.lines));
    EXPECT_EQ(parsed.outcome.passes, row.passes);
    EXPECT_EQ(parsed.outcome.failures, row.failures);
    EXPECT_EQ(parsed.outcome.warnings, row.warnings);
    EXPECT_EQ(parsed.outcome.stoppedAtLine, row.stoppedAtLine);
  }
}

TEST(TaggedLogParserTest, LongLinesAndTagsAreReadWhole)
{
  const std::string longText(100 * 1024, 'x');
  const std::string longTag = "[" + std::string(5000, 'T') + "]";
  // Lines far longer than the reader's block, too.
  const std::string hugeText(3 * 1024 * 1024 + 17, 'h');
  const ParsedLog parsed = Parse("[ Pass]" + longText + "\n" + longTag + " unknown\n[ Warn]" +
                                 hugeText + "\n[ Fail] after\n");
  ASSERT_EQ(parsed.lines.size(), 3u);
  EXPECT_EQ(parsed.lines[0].second, longText);
  EXPECT_EQ(parsed.lines[1].second, hugeText);
  EXPECT_EQ(parsed.lines[2].second, " after");
  EXPECT_EQ(parsed.outcome.unknownTags, 1);
  EXPECT_EQ(parsed.outcome.failures, 1);
}

TEST(TaggedLogParserTest, BinaryJunkIsReadWithoutHarm)
{
  std::string junk;
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245 + 12345;
    junk += static_cast<char>(seed >> 16);
  }
  for (const std::string& log : {junk, "[" + junk, "[ Pass]" + junk}) {
    const ParsedLog parsed = Parse(log);
    for (const auto& [tag, text] : parsed.lines) {
      EXPECT_GE(tag, 0);
      for (char c : text) {
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80 && c != '\0');
      }
    }
  }
}

TEST(TaggedLogDetectionTest, OneOfTheFirstFiveLinesMustBeginWithABracket)
{
  const std::pair<std::string, bool> rows[] = {
      {"[ Pass] x\n", true},
      {"a\nb\nc\nd\n[ Pass] x\n", true},
      {"a\nb\nc\nd\ne\n[ Pass] x\n", false},
      {"\n\n\n\n[Test>]\n", true},
      {"\n\n\n\n\n[Test>]\n", false},
      {" [ Pass] indented\n", false},
      {"", false},
      {std::string(200000, 'a') + "\n[ Pass] after a long line\n", true},
  };
  for (const auto& [log, tagged] : rows) {
    SCOPED_TRACE(log.substr(0, 40));
    EXPECT_EQ(Tagged(log), tagged);
  }
}

TEST(PlainLogTest, FirstMarkerInOrderCounts)
{
  const std::pair<std::string, Marker> rows[] = {
      {"+TEST+PASS", kMarkerPass},
      {"x +TEST+SEV1 and +TEST+PASS", kMarkerPass},
      {"+TEST+SEV3 +TEST+WARN", kMarkerWarn},
      {"+TEST+SEV2+TEST+SEV1", kMarkerSev1},
      {"+TEST+SEV3", kMarkerSev3},
      {"+test+pass", kNoMarker},
      {"+TEST+PAS", kNoMarker},
      {"++TEST+WARN", kMarkerWarn},
      {"", kNoMarker},
  };
  for (const auto& [line, marker] : rows) {
    SCOPED_TRACE(line);
    EXPECT_EQ(FindMarker(line.data(), line.size()), marker);
  }
}

TEST(PlainLogTest, CopiesTheLogAndJudgesIt)
{
  struct Row
  {
    const char* name;
    std::string log;
    int status;
  };
  const Row rows[] = {
      {"two passes and a severity 2", "a +TEST+PASS\n+TEST+PASS b\nc +TEST+SEV2\n", 5},
      {"a warning only", "line\n+TEST+WARN\n", 6},
      {"no marker", "just text\n", 5},
      {"a pass without a line end", "+TEST+PASS", 6},
      {"empty", "", 5},
      {"a marker past 1023 characters", std::string(3000, '.') + "+TEST+PASS\n", 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder temp;
    WriteFile(temp.File("log.txt"), row.log);
    WriteFile(temp.File("results.txt"), "before\n");
    const PlainOutcome outcome = TranslatePlainLog(temp.File("log.txt"), temp.File("results.txt"));
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(ReadFile(temp.File("results.txt")), "before\n" + row.log + " ");
  }
}

TEST(PlainLogTest, UnusableFilesFailAndWriteNothing)
{
  TempFolder temp;
  WriteFile(temp.File("log.txt"), "+TEST+PASS\n");
  struct Row
  {
    const char* name;
    std::string log;
    std::string results;
  };
  const Row rows[] = {
      {"missing log", temp.File("absent.txt"), temp.File("r1.txt")},
      {"log is a folder", temp.Path(), temp.File("r2.txt")},
      {"results folder missing", temp.File("log.txt"), temp.File("none/r3.txt")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PlainOutcome outcome = TranslatePlainLog(row.log, row.results);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.status, 5);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_FALSE(std::filesystem::exists(row.results));
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(temp.Path()) / "none"));
}

} // namespace
