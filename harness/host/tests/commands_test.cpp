// Command enabling in each run state, status texts, the viewer command line, string tables.
#include "harness/commands.h"
#include "harness/fileexception.h"
#include "harness/resultline.h"
#include "harness/runstate.h"
#include "harness/stringids.h"
#include "harness/viewer.h"
#include "testsupport/hostsupport.h"
#include "testsupport/tempfolder.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

using namespace harness::cmd;

TEST(Commands, SettingsAndFileCommandsDisabledOnlyWhileRunning)
{
  const int guarded[] = {kEditDeleteLogfile, kEditDeleteResultsfile, kConfigureComponent,
                         kHarnessProperties, kHelpDisplayStartupBox, kAppAbout,
                         kFileOpen};
  const int always[] = {
      kEditClearResultsWindow, kEditClearLogWindow, kViewResultsFile,    kViewLogFile,
      kDisplayUsersGuide,      kForceAppShutdown,   kViewAvailableTests, kViewOutputWindow,
      kViewStatusBar};
  for (int state = 0; state <= 8; ++state) {
    SCOPED_TRACE(state);
    CommandContext context;
    context.runState = static_cast<RunState>(state);
    for (int command : guarded)
      EXPECT_EQ(QueryCommandState(command, context).enabled, state != 2) << command;
    for (int command : always)
      EXPECT_TRUE(QueryCommandState(command, context).enabled) << command;
  }
}

TEST(Commands, SuiteWindowCommandsFollowItsItemsAndTheRunState)
{
  struct Case
  {
    int runState;
    int items;
    int selected;
    bool dos;
    bool configMode;
    // delete selected, delete all, run all, run selected, configure, iterations, stop, pause,
    // resume, suite properties
    bool enabled[10];
  } cases[] = {
      {1, 0, 0, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {1, 3, 0, false, true, {0, 1, 1, 0, 0, 0, 0, 0, 0, 1}},
      {1, 3, 1, false, true, {1, 1, 1, 1, 1, 1, 0, 0, 0, 1}},
      {1, 3, 1, false, false, {1, 1, 1, 1, 0, 1, 0, 0, 0, 1}},
      {5, 3, 2, false, true, {1, 1, 1, 1, 0, 1, 0, 0, 0, 1}},
      {6, 3, 1, true, true, {1, 1, 1, 0, 1, 1, 0, 0, 0, 1}},
      {2, 3, 1, false, true, {0, 0, 0, 0, 0, 0, 1, 1, 0, 0}},
      {3, 3, 1, false, true, {0, 0, 0, 0, 0, 0, 1, 0, 1, 1}},
      {4, 3, 1, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {7, 3, 1, false, true, {1, 1, 1, 1, 1, 1, 0, 0, 0, 1}},
  };
  const int commands[] = {kDeleteSelected, kDeleteAll, kRunAll,   kRunSelected, kConfigureTestCase,
                          kSetIterations,  kStopRun,   kPauseRun, kResumeRun,   kSuiteProperties};
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(index++);
    CommandContext context;
    context.documentOpen = true;
    context.runState = static_cast<RunState>(c.runState);
    context.suiteItems = c.items;
    context.selectedItems = c.selected;
    context.dosTestCases = c.dos;
    context.configMode = c.configMode;
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(QueryCommandState(commands[i], context).enabled, c.enabled[i]) << commands[i];
  }
  // Without a suite window only the run commands act on a run in progress.
  CommandContext none;
  none.runState = RunState::Running;
  EXPECT_FALSE(QueryCommandState(kSuiteProperties, none).enabled);
  EXPECT_FALSE(QueryCommandState(kFilePrint, none).enabled);
  EXPECT_TRUE(QueryCommandState(kStopRun, none).enabled);
}

TEST(Commands, ViewCommandsAreCheckedWhileVisible)
{
  CommandContext context;
  context.outputVisible = false;
  EXPECT_TRUE(QueryCommandState(kViewAvailableTests, context).checked);
  EXPECT_FALSE(QueryCommandState(kViewOutputWindow, context).checked);
  EXPECT_TRUE(QueryCommandState(kViewStatusBar, context).checked);
}

TEST(Commands, TreeCommandsFollowTheActiveTab)
{
  struct Case
  {
    LeftTab tab;
    int runState;
    bool configMode;
    TreeItem item;
    bool refresh, properties, openSuite;
  } cases[] = {
      {LeftTab::None, 1, true, TreeItem::Suite, false, false, false},
      {LeftTab::Suites, 1, false, TreeItem::Suite, true, true, true},
      {LeftTab::Suites, 2, false, TreeItem::Suite, true, false, false},
      {LeftTab::Suites, 3, false, TreeItem::Suite, true, true, true},
      {LeftTab::Suites, 1, false, TreeItem::None, true, false, false},
      {LeftTab::Suites, 1, false, TreeItem::TestCase, true, false, false},
      {LeftTab::Suites, 1, true, TreeItem::TestCase, true, true, false},
      {LeftTab::Suites, 1, false, TreeItem::Other, true, true, false},
      {LeftTab::AvailableTests, 1, true, TreeItem::None, false, true, false},
      {LeftTab::AvailableTests, 1, false, TreeItem::Suite, false, false, false},
      {LeftTab::AvailableTests, 2, true, TreeItem::None, false, false, false},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(index++);
    CommandContext context;
    context.activeTab = c.tab;
    context.runState = static_cast<RunState>(c.runState);
    context.configMode = c.configMode;
    context.selectedItem = c.item;
    EXPECT_EQ(QueryCommandState(kRefreshSuitesView, context).enabled, c.refresh);
    EXPECT_EQ(QueryCommandState(kViewItemProperties, context).enabled, c.properties);
    EXPECT_EQ(QueryCommandState(kOpenSelectedSuite, context).enabled, c.openSuite);
  }
}

TEST(RunState, TextsLogAndGuards)
{
  StringTable strings = HarnessStrings();
  for (int state = 0; state <= 9; ++state) {
    SCOPED_TRACE(state);
    int expected = state >= 1 && state <= 7 ? ids::kRunStateFirst + state - 1 : ids::kRunStateOther;
    const auto runState = static_cast<RunState>(state);
    EXPECT_EQ(RunStateTextId(runState), expected);
    EXPECT_TRUE(strings.Has(RunStateTextId(runState)));
    EXPECT_EQ(RunStateIsLogged(runState), state == 2 || state == 4 || state == 7);
    EXPECT_EQ(IsRunInProgress(runState), state >= 2 && state <= 4);
  }
  EXPECT_EQ(LoggingLevelTextId(0), ids::kLoggingLevelOther);
  EXPECT_EQ(LoggingLevelTextId(2), ids::kLoggingLevelFirst + 1);
  EXPECT_EQ(LoggingLevelTextId(4), ids::kLoggingLevelOther);
  EXPECT_EQ(ProgressText(strings, 3, 10), "3 of 10");
}

TEST(Viewer, BothPathsAreQuoted)
{
  EXPECT_EQ(ViewerCommandLine("/opt/my tools/parlo", "/var/log/Halvex Log.txt"),
            "\"/opt/my tools/parlo\" \"/var/log/Halvex Log.txt\"");
}

TEST(StringTableTest, ParsesEscapesAndReportsBadLines)
{
  StringTable table;
  std::string error;
  ASSERT_TRUE(table.Parse("# comment\n1\tone\\nline\r\n\n2\ttab\\there %1 and %2 %%\n", error));
  EXPECT_EQ(table.Get(1), "one\nline");
  EXPECT_EQ(table.Format(2, {"A", "B"}), "tab\there A and B %");
  EXPECT_EQ(table.Format(2, {"A"}), "tab\there A and %2 %");
  EXPECT_EQ(table.Get(3), "#3");
  StringTable bad;
  EXPECT_FALSE(bad.Parse("1\tok\nnot a number\n", error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
  EXPECT_TRUE(bad.Has(1));
  EXPECT_FALSE(bad.Parse("12x\tno", error));
}

TEST(StringTableTest, HarnessTableHoldsEveryNumberedText)
{
  StringTable strings = HarnessStrings();
  const int required[] = {ids::kLogDeleteFailed,   ids::kLogWriteFailed, ids::kSettingMissingFile,
                          ids::kRegistryKeyFailed, ids::kResultsTab,     ids::kLogTab,
                          ids::kClearTab,          ids::kCloseRefused,   kClearActiveTab,
                          kViewAvailableTests,     kDisplayUsersGuide};
  for (int id : required)
    EXPECT_TRUE(strings.Has(id)) << id;
  for (int id = ids::kFileCauseGeneric; id <= ids::kFileCauseOther; ++id)
    EXPECT_TRUE(strings.Has(id)) << id;
  for (int id = ids::kArchiveCauseFirst; id < ids::kArchiveCauseFirst + 8; ++id)
    EXPECT_TRUE(strings.Has(id)) << id;
}

TEST(FileExceptions, CauseTextsByErrno)
{
  StringTable strings = HarnessStrings();
  struct Case
  {
    int error;
    FileExceptionCause cause;
  } cases[] = {{0, FileExceptionCause::None},
               {ENOENT, FileExceptionCause::FileNotFound},
               {EACCES, FileExceptionCause::AccessDenied},
               {ENOSPC, FileExceptionCause::DiskFull},
               {EIO, FileExceptionCause::HardIO},
               {EMFILE, FileExceptionCause::TooManyOpenFiles},
               {EXDEV, FileExceptionCause::Generic}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(FileCauseFromErrno(c.error), c.cause);
  }
  std::string hard22 = FormatFileExceptionReport(strings, FileExceptionCause::HardIO, "f", 22);
  std::string hard5 = FormatFileExceptionReport(strings, FileExceptionCause::HardIO, "f", 5);
  EXPECT_NE(hard22.substr(0, hard22.find(" f ")), hard5.substr(0, hard5.find(" f ")));
  EXPECT_EQ(FormatFileExceptionReport(strings, FileExceptionCause::None, "f", 0), "");
  struct ArchiveCase
  {
    ArchiveError error;
    ArchiveExceptionCause cause;
  } archiveCases[] = {{ArchiveError::generic, ArchiveExceptionCause::Generic},
                      {ArchiveError::readOnly, ArchiveExceptionCause::ReadOnly},
                      {ArchiveError::endOfFile, ArchiveExceptionCause::EndOfFile},
                      {ArchiveError::writeOnly, ArchiveExceptionCause::WriteOnly},
                      {ArchiveError::badIndex, ArchiveExceptionCause::BadIndex},
                      {ArchiveError::badClass, ArchiveExceptionCause::BadClass},
                      {ArchiveError::badSchema, ArchiveExceptionCause::BadSchema},
                      {ArchiveError::other, ArchiveExceptionCause::Other}};
  for (const auto& c : archiveCases) {
    SCOPED_TRACE(static_cast<int>(c.error));
    EXPECT_EQ(ArchiveCauseFromError(c.error), c.cause);
  }
  std::string archive =
      FormatArchiveExceptionReport(strings, ArchiveExceptionCause::BadClass, "suite.ts");
  EXPECT_EQ(archive, strings.Get(ids::kArchiveCauseFirst + 5) + " suite.ts");
}

} // namespace
} // namespace harness::test

namespace harness::test {
namespace {

TEST(ResultLine, CutToOneLineOf500)
{
  StringTable strings = HarnessStrings();
  struct Case
  {
    std::string text;
    std::string expected;
  } cases[] = {{"plain", "plain"},
               {"two\r\nlines\nhere\r", "two  lines here "},
               {std::string(600, 'r'), std::string(500, 'r')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    EXPECT_EQ(FormatResultLine(strings, c.text), c.expected);
  }
}

} // namespace
} // namespace harness::test
