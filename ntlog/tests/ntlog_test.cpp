// NTLog through its C entry points, as callers bind them: levels, variations, statistics,
// files, handles and threads.
#include "ntlog_module.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <regex>
#include <thread>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

NtLogModule& Ntlog()
{
  static NtLogModule module;
  return module;
}

// Entry lines only: time, kind, scope, participant, source(line): text.
std::vector<std::string> EntryLines(const std::string& file)
{
  static const std::regex entry(R"(^\d\d:\d\d:\d\d\.\d\d\d (ABORT|FAIL[123]|WARN |PASS |INFO ) )"
                                R"((TEST|VAR ) p\d+ .*)");
  std::vector<std::string> result;
  for (const auto& line : ReadLines(file)) {
    if (std::regex_match(line, entry)) {
      result.push_back(line);
    }
  }
  return result;
}

class NtLogTest : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_NE(Ntlog().module, nullptr); }
  NtLogModule& nt = Ntlog();
  TempFolder temp;
};

TEST_F(NtLogTest, EachLevelIsWrittenWithItsNameAndScopeAndCounted)
{
  struct Row
  {
    std::uint32_t level;
    const char* kindName;
    const char* scope;
  };
  const Row rows[] = {
      {0x20 | 0x100, "PASS ", "TEST"},   {0x20 | 0x200, "PASS ", "VAR "},
      {0x02 | 0x100, "FAIL1", "TEST"},   {0x02 | 0x200, "FAIL1", "VAR "},
      {0x10 | 0x100, "WARN ", "TEST"},   {0x10 | 0x200, "WARN ", "VAR "},
      {0x2000 | 0x100, "INFO ", "TEST"}, {0x2000 | 0x200, "INFO ", "VAR "},
      {0x01, "ABORT", "TEST"},           {0x04, "FAIL2", "TEST"},
      {0x08, "FAIL3", "TEST"},           {0x200, "INFO ", "VAR "},
      {0x22 | 0x100, "FAIL1", "TEST"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "level 0x" << std::hex << row.level);
    const std::string file = temp.File("levels.log");
    HLOG log = nt.tlCreateLog_A(file.c_str(), 0x1FFFF);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(nt.tlLog_A(log, row.level, "src_file", 42, "value %d of %s", 7, "seven"), 1);
    tlStats stats{};
    ASSERT_EQ(nt.tlGetTestStat(log, &stats), 1);
    EXPECT_EQ(nt.tlDestroyLog(log), 1);

    auto entries = EntryLines(file);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_THAT(entries[0], HasSubstr(std::string(" ") + row.kindName + " " + row.scope + " p"));
    EXPECT_THAT(entries[0], HasSubstr("src_file(42): value 7 of seven"));
    const std::uint32_t counted =
        stats.abort + stats.sev1 + stats.sev2 + stats.sev3 + stats.warn + stats.pass + stats.info;
    EXPECT_EQ(counted, 1u);
    const std::string kind = row.kindName;
    EXPECT_EQ(stats.pass, kind == "PASS " ? 1u : 0u);
    EXPECT_EQ(stats.sev1, kind == "FAIL1" ? 1u : 0u);
    EXPECT_EQ(stats.warn, kind == "WARN " ? 1u : 0u);
    EXPECT_EQ(stats.info, kind == "INFO " ? 1u : 0u);
  }
}

TEST_F(NtLogTest, VariationEndReturnsTheWorstLevelLoggedInIt)
{
  struct Row
  {
    std::vector<std::uint32_t> levels;
    std::uint32_t expected;
  };
  const Row rows[] = {
      {{0x220, 0x2200}, 0x20},
      {{0x220, 0x210, 0x220}, 0x10},
      {{0x210, 0x202, 0x220}, 0x02},
      {{0x2200}, 0x2000},
      {{}, 0x2000},
      {{0x208, 0x204}, 0x04},
      {{0x201, 0x202}, 0x01},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message()
                 << row.levels.size() << " entries, expect 0x" << std::hex << row.expected);
    HLOG log = nt.tlCreateLog_A(temp.File("variations.log").c_str(), 0x1FFFF);
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(nt.tlStartVariation(log), 1);
    for (std::uint32_t level : row.levels) {
      nt.tlLogX_A(log, level, "v", 1, "entry");
    }
    tlStats variation{};
    ASSERT_EQ(nt.tlGetVariationStat(log, &variation), 1);
    EXPECT_EQ(variation.pass + variation.warn + variation.sev1 + variation.sev2 + variation.sev3 +
                  variation.abort + variation.info,
              row.levels.size());
    EXPECT_EQ(nt.tlEndVariation(log), row.expected);
    EXPECT_EQ(nt.tlEndVariation(log), 0u) << "no variation is open any more";
    tlStats test{};
    nt.tlGetTestStat(log, &test);
    EXPECT_EQ(test.variations, 1u);
    EXPECT_EQ(test.failedVariations, (row.expected & 0x0F) ? 1u : 0u);
    nt.tlDestroyLog(log);
  }
}

TEST_F(NtLogTest, VariationsAreMarkedAndScopeFollowsThem)
{
  const std::string file = temp.File("scope.log");
  HLOG log = nt.tlCreateLog_A(file.c_str(), 0x1FFFF);
  nt.tlAddParticipant(log, 0, 0);
  nt.tlLogX_A(log, 0x2000, "s", 1, "before");
  nt.tlStartVariation(log);
  nt.tlLogX_A(log, 0x2000, "s", 2, "inside");
  nt.tlStartVariation(log); // ends the first one
  nt.tlLogX_A(log, 0x02, "s", 3, "second");
  tlLogInfo info{};
  ASSERT_EQ(nt.tlGetLogInfo(log, &info), 1);
  EXPECT_EQ(info.variations, 2u);
  EXPECT_EQ(info.participants, 1u);
  EXPECT_EQ(nt.tlRemoveParticipant(log), 1); // ends the second one
  EXPECT_EQ(nt.tlRemoveParticipant(log), 0);
  nt.tlDestroyLog(log);

  const std::string text = ReadAll(file);
  EXPECT_THAT(text, HasSubstr("INFO  TEST p1 s(1): before"));
  EXPECT_THAT(text, HasSubstr("INFO  VAR  p1 s(2): inside"));
  EXPECT_THAT(text, HasSubstr("variation 1 ended: INFO (next variation started)"));
  EXPECT_THAT(text, HasSubstr("FAIL1 VAR  p1 s(3): second"));
  EXPECT_THAT(text, HasSubstr("variation 2 ended: FAIL1 (participant left)"));
}

TEST_F(NtLogTest, StatisticsAreReportedClearedAndCountMaskedEntries)
{
  const std::string file = temp.File("stats.log");
  // Mask without passes: passes are counted, not written.
  HLOG log = nt.tlCreateLog_A(file.c_str(), 0x10000 | (0xFFFF & ~0x20u));
  for (int i = 0; i < 3; ++i) {
    nt.tlLogX_A(log, 0x120, "s", i, "pass line");
  }
  nt.tlLogX_A(log, 0x110, "s", 9, "warn line");
  nt.tlStartVariation(log);
  nt.tlLogX_A(log, 0x202, "s", 10, "fail line");
  nt.tlEndVariation(log);
  tlStats stats{};
  nt.tlGetTestStat(log, &stats);
  EXPECT_EQ(stats.pass, 3u);
  EXPECT_EQ(stats.warn, 1u);
  EXPECT_EQ(stats.sev1, 1u);
  EXPECT_EQ(nt.tlReportStats(log), 1);
  EXPECT_EQ(nt.tlClearTestStats(log), 1);
  nt.tlGetTestStat(log, &stats);
  EXPECT_EQ(stats.pass + stats.warn + stats.sev1 + stats.variations, 0u);
  EXPECT_EQ(nt.tlClearVariationStats(log), 1);
  nt.tlGetVariationStat(log, &stats);
  EXPECT_EQ(stats.sev1, 0u);
  nt.tlDestroyLog(log);

  const std::string text = ReadAll(file);
  EXPECT_THAT(text, Not(HasSubstr("pass line")));
  EXPECT_THAT(text, HasSubstr("warn line"));
  EXPECT_THAT(text,
              HasSubstr("entries     ABORT 0  FAIL1 1  FAIL2 0  FAIL3 0  WARN 1  PASS 3  INFO 0"));
  EXPECT_THAT(text, HasSubstr("variations  1 ended, 1 failed"));
  EXPECT_THAT(text, HasSubstr("verdict     FAIL1"));
}

TEST_F(NtLogTest, NewFileBitTruncatesOtherwiseAppends)
{
  struct Row
  {
    std::uint32_t flags;
    bool keepsOldContent;
  };
  for (const Row& row : {Row{0x1FFFF, false}, Row{0xFFFF, true}, Row{0x201FFFF, false},
                         Row{0x20FFFF, true}, Row{0x21FFFF, false}}) {
    SCOPED_TRACE(::testing::Message() << "flags 0x" << std::hex << row.flags);
    const std::string file = temp.File("append.log");
    std::ofstream(file) << "earlier content\n";
    HLOG log = nt.tlCreateLog_A(file.c_str(), row.flags);
    ASSERT_NE(log, nullptr);
    nt.tlLogX_A(log, 0x120, "s", 1, "new entry");
    nt.tlDestroyLog(log);
    const std::string text = ReadAll(file);
    EXPECT_EQ(text.rfind("earlier content\n", 0) == 0, row.keepsOldContent);
    EXPECT_THAT(text, HasSubstr("new entry"));
    EXPECT_THAT(text, HasSubstr("==== NTLog closed"));
  }
}

TEST_F(NtLogTest, BadHandlesAndArgumentsFailCleanly)
{
  HLOG log = nt.tlCreateLog_A(temp.File("bad.log").c_str(), 0x1FFFF);
  ASSERT_NE(log, nullptr);
  ASSERT_EQ(nt.tlDestroyLog(log), 1);
  for (HLOG handle : {HLOG{nullptr}, log, reinterpret_cast<HLOG>(0x12345)}) {
    SCOPED_TRACE(::testing::Message() << "handle " << handle);
    EXPECT_EQ(nt.tlLogX_A(handle, 0x20, "s", 1, "x"), 0);
    EXPECT_EQ(nt.tlLog_A(handle, 0x20, "s", 1, "%s", "x"), 0);
    EXPECT_EQ(nt.tlDestroyLog(handle), 0);
    EXPECT_EQ(nt.tlStartVariation(handle), 0);
    EXPECT_EQ(nt.tlEndVariation(handle), 0u);
    EXPECT_EQ(nt.tlReportStats(handle), 0);
    EXPECT_EQ(nt.tlAddParticipant(handle, 0, 0), 0);
    EXPECT_EQ(nt.tlGetLogFileName_A(handle, nullptr, 0), 0u);
    tlStats stats{};
    EXPECT_EQ(nt.tlGetTestStat(handle, &stats), 0);
    EXPECT_EQ(nt.tlPromptLog(nullptr, handle), 0);
  }
  EXPECT_EQ(nt.tlCreateLog_A(nullptr, 0x1FFFF), nullptr);
  EXPECT_EQ(nt.tlCreateLog_A("", 0x1FFFF), nullptr);
  EXPECT_EQ(nt.tlCreateLog_A(temp.File("no/such/folder/x.log").c_str(), 0x1FFFF), nullptr);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(temp.Path()) / "no"));
}

TEST_F(NtLogTest, LongNamesAndLongTextsAreKeptWhole)
{
  std::filesystem::path folder = temp.Path();
  for (int i = 0; i < 12; ++i) {
    folder /= std::string(200, static_cast<char>('a' + i));
  }
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "long.log").string();
  ASSERT_GT(file.size(), 2400u);
  HLOG log = nt.tlCreateLog_A(file.c_str(), 0x1FFFF);
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(nt.tlGetLogFileName_A(log, nullptr, 0), file.size());
  std::vector<char> small(10, 'x');
  EXPECT_EQ(nt.tlGetLogFileName_A(log, small.data(), small.size()), file.size());
  EXPECT_EQ(std::string(small.data()), file.substr(0, 9));
  std::vector<char> whole(file.size() + 1);
  nt.tlGetLogFileName_A(log, whole.data(), whole.size());
  EXPECT_EQ(std::string(whole.data()), file);

  const std::string text(100000, 'T');
  EXPECT_EQ(nt.tlLog_A(log, 0x120, "s", 1, "%s|%s", text.c_str(), "end"), 1);
  EXPECT_EQ(nt.tlLogX_A(log, 0x120, "s", 2, "two\r\nlines"), 1);
  EXPECT_EQ(nt.tlLogX_A(log, 0x102, "bad\nsource", 3, "failed"), 1);
  nt.tlDestroyLog(log);
  const std::string written = ReadAll(file);
  EXPECT_THAT(written, HasSubstr(text + "|end\n"));
  EXPECT_THAT(written, HasSubstr("two  lines\n"));
  // A line end in the caller's source name must not split the entry either.
  EXPECT_THAT(written, HasSubstr("bad source(3): failed\n"));
  for (const std::string& fileLine : ReadLines(file)) {
    EXPECT_NE(fileLine.rfind("source(3)", 0), 0u) << fileLine;
  }
}

TEST_F(NtLogTest, SetFileNameMovesTheLog)
{
  const std::string first = temp.File("first.log");
  const std::string second = temp.File("second.log");
  HLOG log = nt.tlCreateLog_A(first.c_str(), 0x1FFFF);
  nt.tlLogX_A(log, 0x120, "s", 1, "in first");
  EXPECT_EQ(nt.tlSetLogFileName_A(log, temp.File("missing/x.log").c_str()), 0);
  EXPECT_EQ(nt.tlSetLogFileName_A(log, first.c_str()), 1); // the same file: kept, not restarted
  EXPECT_EQ(nt.tlSetLogFileName_A(log, second.c_str()), 1);
  nt.tlLogX_A(log, 0x120, "s", 2, "in second");
  char name[4096];
  nt.tlGetLogFileName_A(log, name, sizeof name);
  EXPECT_EQ(std::string(name), second);
  nt.tlDestroyLog(log);
  EXPECT_THAT(ReadAll(first), HasSubstr("in first"));
  EXPECT_THAT(ReadAll(first), Not(HasSubstr("in second")));
  EXPECT_THAT(ReadAll(second), HasSubstr("in second"));
}

TEST_F(NtLogTest, LogInfoChangesOnlyTheLevelMask)
{
  const std::string file = temp.File("info.log");
  HLOG log = nt.tlCreateLog_A(file.c_str(), 0x201FFFF);
  tlLogInfo info{};
  nt.tlGetLogInfo(log, &info);
  EXPECT_EQ(info.flags, 0x201FFFFu);
  info.flags = 0x0002; // failures only
  info.variations = 99;
  EXPECT_EQ(nt.tlSetLogInfo(log, &info), 1);
  nt.tlGetLogInfo(log, &info);
  EXPECT_EQ(info.flags, 0x2010002u);
  EXPECT_EQ(info.variations, 0u);
  nt.tlLogX_A(log, 0x120, "s", 1, "hidden pass");
  nt.tlLogX_A(log, 0x102, "s", 2, "shown failure");
  nt.tlDestroyLog(log);
  EXPECT_THAT(ReadAll(file), Not(HasSubstr("hidden pass")));
  EXPECT_THAT(ReadAll(file), HasSubstr("shown failure"));
}

TEST_F(NtLogTest, CommandLineNamesTheLog)
{
  struct Row
  {
    std::string arguments;
    bool creates;
    std::uint32_t flags;
  };
  const std::string file = temp.File("cmd line.log");
  const Row rows[] = {
      {"prog /NTLog:\"" + file + "\"", true, 0xFFFF},
      {"prog -ntlog:\"" + file + "\" /NTLogFlags:0x1FFFF other", true, 0x1FFFF},
      {"prog /NTLogFlags:0x22", false, 0},
      {"prog /NTLog:\"" + file + "\" /NTLogFlags:zz", false, 0},
      {"", false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    HLOG log = nt.tlParseCmdLine_A(row.arguments.c_str());
    EXPECT_EQ(log != nullptr, row.creates);
    if (log) {
      tlLogInfo info{};
      nt.tlGetLogInfo(log, &info);
      EXPECT_EQ(info.flags, row.flags);
      char name[4096];
      nt.tlGetLogFileName_A(log, name, sizeof name);
      EXPECT_EQ(std::string(name), file);
      nt.tlDestroyLog(log);
    }
  }
  EXPECT_EQ(nt.tlParseCmdLine_A(nullptr), nullptr);
}

TEST_F(NtLogTest, PromptReturnsAtOnceWithoutAnApplication)
{
  HLOG log = nt.tlCreateLog_A(temp.File("prompt.log").c_str(), 0x1FFFF);
  EXPECT_EQ(nt.tlPromptLog(nullptr, log), 0);
  tlLogInfo info{};
  nt.tlGetLogInfo(log, &info);
  EXPECT_EQ(info.flags, 0x1FFFFu);
  nt.tlDestroyLog(log);
}

TEST_F(NtLogTest, TwoThreadsLoggingAtOnceKeepEveryLineWhole)
{
  const std::string file = temp.File("threads.log");
  HLOG log = nt.tlCreateLog_A(file.c_str(), 0x1FFFF);
  constexpr int kEntries = 2000;
  auto worker = [&](const char* name, std::uint32_t kind) {
    nt.tlAddParticipant(log, 0, 0);
    nt.tlStartVariation(log);
    for (int i = 0; i < kEntries; ++i) {
      nt.tlLog_A(log, kind, name, i, "%s entry %d", name, i);
    }
    EXPECT_EQ(nt.tlEndVariation(log), kind);
    nt.tlRemoveParticipant(log);
  };
  std::thread first(worker, "first", 0x20u);
  std::thread second(worker, "second", 0x10u);
  first.join();
  second.join();
  tlStats stats{};
  nt.tlGetTestStat(log, &stats);
  nt.tlDestroyLog(log);
  EXPECT_EQ(stats.pass, static_cast<std::uint32_t>(kEntries));
  EXPECT_EQ(stats.warn, static_cast<std::uint32_t>(kEntries));
  EXPECT_EQ(stats.variations, 2u);

  auto entries = EntryLines(file);
  ASSERT_EQ(entries.size(), 2u * kEntries);
  for (const char* name : {"first", "second"}) {
    const std::string kind = std::string(name) == "first" ? "PASS  VAR " : "WARN  VAR ";
    int seen = 0;
    for (const auto& line : entries) {
      if (line.find(std::string(" ") + name + "(") != std::string::npos) {
        EXPECT_THAT(line, HasSubstr(kind));
        EXPECT_THAT(line, HasSubstr(std::string(name) + " entry " + std::to_string(seen)));
        ++seen;
      }
    }
    EXPECT_EQ(seen, kEntries) << name;
  }
}

} // namespace
