// The log: filter, time stamp, cut, destinations, window bounds, the file and its fallback.
#include "harness/logfile.h"
#include "harness/logwriter.h"
#include "harness/stringids.h"
#include "plinth/component.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

class LogWriterTest : public ::testing::Test
{
protected:
  LogWriterTest() : strings(HarnessStrings()), writer(settings, strings, prompts)
  {
    settings.SetDefaults();
    guiLoggingLevel = 1;
    settings.m_nLogDateTime = 1;
    settings.m_strLogFilePath = folder.File("log.txt");
    settings.m_strDefaultLoggingFolder = folder.Path();
    writer.SetWindow(&window);
    writer.SetDateTimeSource([] { return std::string("12/07/26 20:05:22"); });
    writer.SetSaveSettings([this] { ++saves; });
  }

  TempFolder folder;
  CHarnessSettings settings;
  StringTable strings;
  RecordingPrompts prompts;
  StringWindow window;
  CLogWriter writer;
  int saves = 0;
};

TEST_F(LogWriterTest, LevelFilterAgainstLoggingLevel)
{
  struct Case
  {
    unsigned loggingLevel;
    unsigned level;
    bool shown;
  } cases[] = {{2, 3, false}, {2, 2, true}, {2, 0, true},           {0, 0, true},
               {0, 1, false}, {3, 3, true}, {1, 4294967295u, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "logging level " << c.loggingLevel << " level " << c.level);
    window.text.clear();
    guiLoggingLevel = c.loggingLevel;
    writer.OnLogLine(c.level, "line");
    EXPECT_EQ(window.text, c.shown ? "line\r\n" : "");
  }
}

TEST_F(LogWriterTest, DateTimePrefixUnlessLogDateTimeIsOne)
{
  struct Case
  {
    std::uint32_t logDateTime;
    std::string expected;
  } cases[] = {
      {1, "text\r\n"}, {0, "12/07/26 20:05:22 text\r\n"}, {7, "12/07/26 20:05:22 text\r\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logDateTime);
    window.text.clear();
    settings.m_nLogDateTime = c.logDateTime;
    writer.OnLogLine(1, "text");
    EXPECT_EQ(window.text, c.expected);
  }
}

TEST(LocaleDateTime, FollowsTheUserLocaleAndIsNotEmpty)
{
  std::string text = LocaleDateTimeText();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST_F(LogWriterTest, LongLinesAreCutTo500CharactersInWindowAndFile)
{
  writer.OnLogLine(0, std::string(600, 'x'));
  EXPECT_EQ(window.text, std::string(500, 'x') + "\r\n");
  EXPECT_EQ(ReadAll(settings.m_strLogFilePath), std::string(500, 'x') + "\r\n");
}

TEST_F(LogWriterTest, TimeStampCountsTowardsTheCut)
{
  settings.m_nLogDateTime = 0;
  writer.OnLogLine(0, std::string(600, 'y'));
  std::string expected = ("12/07/26 20:05:22 " + std::string(600, 'y')).substr(0, 500) + "\r\n";
  EXPECT_EQ(window.text, expected);
}

TEST(CutLine, KeepsMultiByteCharactersWhole)
{
  std::string text = std::string(499, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(CutLine(text, 500), std::string(499, 'a'));
  EXPECT_EQ(CutLine("short", 500), "short");
  EXPECT_EQ(CutLine(std::string(501, 'c'), 500).size(), 500u);
}

TEST_F(LogWriterTest, DestinationsChooseWindowFileOrBoth)
{
  struct Case
  {
    int destination;
    bool window;
    bool file;
  } cases[] = {{0, true, true}, {1, true, false}, {2, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    window.text.clear();
    DeleteFileAt(settings.m_strLogFilePath);
    settings.m_nLogDestination = c.destination;
    writer.OnLogLine(1, "destined");
    EXPECT_EQ(window.text == "destined\r\n", c.window);
    EXPECT_EQ(ReadAll(settings.m_strLogFilePath) == "destined\r\n", c.file);
  }
}

TEST_F(LogWriterTest, FileIsAppendedLineByLineWithCrLf)
{
  AppendLineToFile(settings.m_strLogFilePath, "earlier");
  writer.OnLogLine(1, "one");
  writer.OnLogLine(2, "dropped");
  writer.OnLogLine(0, "two");
  EXPECT_EQ(ReadAll(settings.m_strLogFilePath), "earlier\r\none\r\ntwo\r\n");
}

TEST_F(LogWriterTest, WindowDropsOldest7200CharactersPast24000)
{
  EXPECT_EQ(kLogTrimAmount, 7200u);
  struct Case
  {
    std::size_t before;
    bool trimmed;
  } cases[] = {{24000, false}, {24001, true}, {30000, true}, {0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    window.text.assign(c.before, 'o');
    if (c.before > 0)
      window.text[0] = 'F'; // the oldest character
    writer.AppendLogLine("new");
    std::size_t expected = c.before - (c.trimmed ? 7200 : 0) + 5;
    EXPECT_EQ(window.text.size(), expected);
    EXPECT_EQ(window.text.substr(window.text.size() - 5), "new\r\n");
    if (c.before > 0) {
      EXPECT_EQ(window.text[0] == 'F', !c.trimmed);
    }
  }
}

TEST_F(LogWriterTest, WindowStaysNearTheLimitOverManyLines)
{
  for (int i = 0; i < 2000; ++i)
    writer.OnLogLine(1, "line number " + std::to_string(i));
  EXPECT_LE(window.text.size(), kLogWindowLimit + kLongestLogLine + 2);
  EXPECT_GT(window.text.size(), kLogWindowLimit - kLogTrimAmount);
  EXPECT_NE(window.text.find("line number 1999\r\n"), std::string::npos);
}

TEST_F(LogWriterTest, ClearLogDeletesTheFileAndEmptiesTheWindow)
{
  writer.OnLogLine(1, "something");
  ASSERT_TRUE(FileExists(settings.m_strLogFilePath));
  writer.ClearLog();
  EXPECT_FALSE(FileExists(settings.m_strLogFilePath));
  EXPECT_EQ(window.text, "");
  // A file that is not there is as good as deleted: no error line is made.
  writer.ClearLog();
  EXPECT_FALSE(FileExists(settings.m_strLogFilePath));
}

TEST_F(LogWriterTest, ClearLogThatCannotDeleteLogsTheErrorToTheFile)
{
  // A folder in the log file's place cannot be unlinked.
  std::filesystem::create_directory(settings.m_strLogFilePath);
  settings.m_nLogDestination = 1;
  writer.ClearLog();
  EXPECT_EQ(window.text, ""); // the error line went to the window before it was emptied
  settings.m_nLogDestination = 0;
  std::filesystem::remove(settings.m_strLogFilePath);
}

TEST_F(LogWriterTest, UnwritableFileFallsBackToTheDefaultFile)
{
  std::string bad = folder.File("missing/folder/log.txt");
  settings.m_strLogFilePath = bad;
  writer.OnLogLine(1, "lost");
  EXPECT_EQ(settings.m_strLogFilePath, folder.File("HalvexLog.txt"));
  EXPECT_EQ(saves, 1);
  ASSERT_EQ(prompts.requests.size(), 1u);
  EXPECT_NE(prompts.requests[0].text.find(bad), std::string::npos);
  EXPECT_EQ(prompts.requests[0].buttons, BoxButtons::Ok);
  // One report in the window naming the file, then the line itself.
  EXPECT_NE(window.text.find(bad), std::string::npos);
  EXPECT_NE(window.text.find("lost\r\n"), std::string::npos);
  EXPECT_FALSE(FileExists(settings.m_strLogFilePath)); // the failed line is not written again
  writer.OnLogLine(1, "later");
  EXPECT_EQ(ReadAll(settings.m_strLogFilePath), "later\r\n");
  EXPECT_EQ(prompts.requests.size(), 1u);
}

TEST_F(LogWriterTest, UnwritableFallbackDoesNotLoop)
{
  settings.m_strDefaultLoggingFolder = folder.File("also/missing");
  settings.m_strLogFilePath = folder.File("missing/log.txt");
  // The settings save logs a line, which fails again while the first failure is handled.
  writer.SetSaveSettings([this] {
    ++saves;
    writer.OnLogLine(2, "settings saved");
  });
  writer.OnLogLine(1, "first");
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(prompts.requests.size(), 1u);
  EXPECT_EQ(settings.m_strLogFilePath, folder.File("also/missing/HalvexLog.txt"));
}

TEST_F(LogWriterTest, FileExceptionReportGoesToTheWindowOnly)
{
  writer.ReportFileException(FileExceptionCause::AccessDenied, "/x/y.ts", 13);
  EXPECT_NE(window.text.find("/x/y.ts"), std::string::npos);
  EXPECT_NE(window.text.find("13"), std::string::npos);
  EXPECT_FALSE(FileExists(settings.m_strLogFilePath));
  window.text.clear();
  writer.ReportFileException(FileExceptionCause::None, "/x/y.ts", 0);
  EXPECT_EQ(window.text, "");
}

} // namespace
} // namespace harness::test
