// The main window under the offscreen platform: bars, status panel, commands and their
// enabling, close guards, the log window's bounds, the guide, the viewer, prompts.
#include "availabletestswnd.h"
#include "guidewindow.h"
#include "halvexapp.h"
#include "harness/commands.h"
#include "harness/logfile.h"
#include "harness/runstate.h"
#include "harness/stringids.h"
#include "limitededit.h"
#include "mainframe.h"
#include "messageswnd.h"
#include "ourstatusbar.h"
#include "plinth/archive.h"
#include "plinth/component.h"
#include "plinth/file.h"
#include "qtprompts.h"
#include "qtsupport.h"

#include <QAction>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace harness::test {

using namespace testsupport;
namespace {

class WindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    app = std::make_unique<CHalvexApp>();
    app->QtPrompts().SetUnattended(true);
    ASSERT_TRUE(app->LoadResourceLibraries(BuildBinFolder()));
    guiLoggingLevel = 1;
    app->m_settings.m_nLogDateTime = 1;
    app->m_settings.m_strLogFilePath = folder.File("log.txt");
    app->m_settings.m_strResultsFilePath = folder.File("results.txt");
    app->m_settings.m_strDefaultLoggingFolder = folder.Path();
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
    app->m_pStatusBar->Reset(1);
  }
  void TearDown() override
  {
    app->SetRunState(RunState::Idle);
    app->ExitInstance();
    app.reset();
  }

  TempFolder folder;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

TEST(ResourceLibraries, BothMustLoad)
{
  TestApplication();
  TempFolder folder;
  struct Case
  {
    bool halvex;
    bool plinth;
  } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.halvex << c.plinth);
    std::filesystem::remove(folder.File("Halvex.lrc"));
    std::filesystem::remove(folder.File("Plinth.lrc"));
    if (c.halvex)
      std::filesystem::copy_file((BuildBinFolder() + "/Halvex.lrc").toStdString(),
                                 folder.File("Halvex.lrc"));
    if (c.plinth)
      std::filesystem::copy_file((BuildBinFolder() + "/Plinth.lrc").toStdString(),
                                 folder.File("Plinth.lrc"));
    CHalvexApp app;
    app.QtPrompts().SetUnattended(true);
    EXPECT_EQ(app.LoadResourceLibraries(QString::fromStdString(folder.Path())),
              c.halvex && c.plinth);
    EXPECT_EQ(app.Strings().Has(ids::kLogTab), c.halvex && c.plinth);
  }
}

TEST(ResourceLibraries, ANonResourceFileIsRefused)
{
  TestApplication();
  TempFolder folder;
  AppendLineToFile(folder.File("Halvex.lrc"), "not a resource file");
  std::filesystem::copy_file((BuildBinFolder() + "/Plinth.lrc").toStdString(),
                             folder.File("Plinth.lrc"));
  CHalvexApp app;
  app.QtPrompts().SetUnattended(true);
  EXPECT_FALSE(app.LoadResourceLibraries(QString::fromStdString(folder.Path())));
}

TEST_F(WindowTest, FrameHasItsBarsAndIcons)
{
  EXPECT_EQ(frame->objectName(), "HALVEXclass");
  ASSERT_NE(frame->GetToolBar(), nullptr);
  EXPECT_FALSE(frame->GetToolBar()->actions().isEmpty());
  EXPECT_FALSE(frame->Action(cmd::kFileOpen)->icon().isNull());
  EXPECT_EQ(frame->dockWidgetArea(frame->GetMessagesWnd()), Qt::BottomDockWidgetArea);
  EXPECT_EQ(frame->dockWidgetArea(frame->GetAvailableTestsWnd()), Qt::LeftDockWidgetArea);
  EXPECT_EQ(frame->toolBarArea(frame->GetStatusBar()), Qt::TopToolBarArea);
  EXPECT_FALSE(frame->windowIcon().isNull());
}

TEST_F(WindowTest, OutputBarHasResultsAndLogTabs)
{
  CMessagesWnd* output = frame->GetMessagesWnd();
  ASSERT_EQ(output->Tabs()->count(), 2);
  EXPECT_EQ(output->Tabs()->currentIndex(), 0);
  EXPECT_EQ(output->Tabs()->tabText(0).toStdString(), app->Strings().Get(ids::kResultsTab));
  EXPECT_EQ(output->Tabs()->tabText(1).toStdString(), app->Strings().Get(ids::kLogTab));
  EXPECT_EQ(frame->GetResultsWindow()->ChildId(), 100);
  EXPECT_EQ(frame->GetLogWindow()->ChildId(), 101);
  EXPECT_EQ(frame->GetResultsWindow()->Limit(), 30000u);
  EXPECT_EQ(frame->GetLogWindow()->Limit(), 30000u);
}

TEST_F(WindowTest, ClearCommandEmptiesOnlyTheActiveTab)
{
  CMessagesWnd* output = frame->GetMessagesWnd();
  frame->GetResultsWindow()->AppendText("result\r\n");
  frame->GetLogWindow()->AppendText("log\r\n");
  EXPECT_EQ(output->ClearAction()->data().toInt(), cmd::kClearActiveTab);
  output->Tabs()->setCurrentIndex(1);
  output->ClearAction()->trigger();
  EXPECT_EQ(frame->GetLogWindow()->TextLength(), 0u);
  EXPECT_EQ(frame->GetResultsWindow()->TextLength(), 8u);
  output->Tabs()->setCurrentIndex(0);
  output->ClearAction()->trigger();
  EXPECT_EQ(frame->GetResultsWindow()->TextLength(), 0u);
}

TEST_F(WindowTest, LeftBarHasTwoTabs)
{
  CAvailableTestsWnd* left = frame->GetAvailableTestsWnd();
  ASSERT_EQ(left->Tabs()->count(), 2);
  EXPECT_EQ(left->Tabs()->tabText(0).toStdString(), app->Strings().Get(ids::kSuitesTab));
  EXPECT_EQ(left->Tabs()->tabText(1).toStdString(), app->Strings().Get(ids::kTestsTab));
  left->Tabs()->setCurrentIndex(1);
  EXPECT_EQ(left->ActiveTab(), cmd::LeftTab::AvailableTests);
}

TEST_F(WindowTest, StatusPanelFieldsAndRunStates)
{
  COurStatusBar* status = frame->GetStatusBar();
  guiLoggingLevel = 3;
  for (int state = 1; state <= 8; ++state) {
    SCOPED_TRACE(state);
    frame->GetLogWindow()->ClearText();
    status->SetRunState(static_cast<RunState>(state));
    EXPECT_EQ(app->m_nRunState, static_cast<RunState>(state));
    EXPECT_EQ(status->FieldText(COurStatusBar::kRunStateField).toStdString(),
              RunStateText(app->Strings(), static_cast<RunState>(state)));
    bool logged = frame->GetLogWindow()->toPlainText().contains(
        QString::fromStdString(RunStateText(app->Strings(), static_cast<RunState>(state))));
    EXPECT_EQ(logged, state == 2 || state == 4 || state == 7);
  }
  status->SetFailures(4);
  status->IncrementFailures();
  EXPECT_EQ(status->FieldText(COurStatusBar::kFailuresField), "5");
  status->SetProgress(2, 9);
  EXPECT_EQ(status->FieldText(COurStatusBar::kProgressField).toStdString(),
            ProgressText(app->Strings(), 2, 9));
  status->Reset(2);
  EXPECT_EQ(status->FieldText(COurStatusBar::kTestCaseField), "");
  EXPECT_EQ(status->FieldText(COurStatusBar::kFailuresField), "0");
  EXPECT_EQ(status->FieldText(COurStatusBar::kLoggingLevelField).toStdString(),
            LoggingLevelText(app->Strings(), 2));
  EXPECT_EQ(app->m_nRunState, RunState::Idle);
}

TEST_F(WindowTest, CommandsFollowTheRunState)
{
  const int guarded[] = {cmd::kEditDeleteLogfile,     cmd::kEditDeleteResultsfile,
                         cmd::kConfigureComponent,    cmd::kHarnessProperties,
                         cmd::kHelpDisplayStartupBox, cmd::kAppAbout};
  for (int state = 1; state <= 7; ++state) {
    SCOPED_TRACE(state);
    app->SetRunState(static_cast<RunState>(state));
    for (int command : guarded)
      EXPECT_EQ(frame->Action(command)->isEnabled(), state != 2) << command;
    EXPECT_TRUE(frame->Action(cmd::kEditClearLogWindow)->isEnabled());
    EXPECT_TRUE(frame->Action(cmd::kForceAppShutdown)->isEnabled());
  }
}

TEST_F(WindowTest, ViewCommandsShowAndHideBars)
{
  struct Case
  {
    int command;
    QWidget* bar;
  } cases[] = {{cmd::kViewOutputWindow, frame->GetMessagesWnd()},
               {cmd::kViewAvailableTests, frame->GetAvailableTestsWnd()},
               {cmd::kViewStatusBar, frame->GetStatusBar()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_TRUE(c.bar->isVisible());
    frame->Action(c.command)->trigger();
    EXPECT_FALSE(c.bar->isVisible());
    EXPECT_FALSE(frame->Action(c.command)->isChecked());
    frame->Action(c.command)->trigger();
    EXPECT_TRUE(c.bar->isVisible());
    EXPECT_TRUE(frame->Action(c.command)->isChecked());
  }
}

TEST_F(WindowTest, BarLayoutIsSavedAndRestored)
{
  frame->GetMessagesWnd()->setFloating(true);
  frame->GetAvailableTestsWnd()->hide();
  QByteArray state = frame->SaveBarState();
  frame->GetMessagesWnd()->setFloating(false);
  frame->GetAvailableTestsWnd()->show();
  ASSERT_TRUE(frame->RestoreBarState(state));
  EXPECT_TRUE(frame->GetMessagesWnd()->isFloating());
  EXPECT_FALSE(frame->GetAvailableTestsWnd()->isVisible());
  EXPECT_FALSE(frame->Action(cmd::kViewAvailableTests)->isChecked());
  EXPECT_FALSE(frame->RestoreBarState(QByteArray("garbage")));
  EXPECT_FALSE(frame->RestoreBarState(QByteArray()));
}

TEST_F(WindowTest, ClosingIsRefusedDuringARun)
{
  for (int state = 1; state <= 7; ++state) {
    SCOPED_TRACE(state);
    frame->show();
    app->SetRunState(static_cast<RunState>(state));
    bool closed = frame->close();
    EXPECT_EQ(closed, !(state >= 2 && state <= 4));
    EXPECT_EQ(frame->OnQueryEndSession(), !(state >= 2 && state <= 4));
  }
}

TEST_F(WindowTest, ForceShutdownAsksDuringARun)
{
  app->SetRunState(RunState::Paused);
  frame->Action(cmd::kForceAppShutdown)->trigger(); // unattended: the default answer is no
  EXPECT_TRUE(frame->isVisible());
  app->QtPrompts().SetUnattended(false);
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Yes)->click();
  });
  frame->Action(cmd::kForceAppShutdown)->trigger();
  EXPECT_FALSE(frame->isVisible());
}

TEST_F(WindowTest, LogWindowTrimsPast24000Characters)
{
  CLimitedEdit* log = frame->GetLogWindow();
  // 240 lines of 98 characters and CR LF make 24000; one more character passes the limit.
  for (int i = 0; i < 240; ++i)
    log->AppendText(std::string(98, static_cast<char>('a' + i % 26)) + "\r\n");
  ASSERT_EQ(log->TextLength(), 24000u);
  app->LogWriter().OnLogLine(0, "x");
  EXPECT_EQ(log->TextLength(), 24003u); // not past the limit before this line
  app->LogWriter().OnLogLine(0, "y");
  EXPECT_EQ(log->TextLength(), 24003u - 7200u + 3u);
  EXPECT_TRUE(log->toPlainText().endsWith("x\ny\n"));
  EXPECT_FALSE(log->toPlainText().startsWith(QString(98, 'a')));
}

TEST_F(WindowTest, TextBeyond30000IsLeftOut)
{
  CLimitedEdit* results = frame->GetResultsWindow();
  for (int i = 0; i < 400; ++i)
    results->AppendText(std::string(98, 'r') + "\r\n");
  EXPECT_EQ(results->TextLength(), 30000u);
}

TEST_F(WindowTest, UsersGuideOpensItsContents)
{
  frame->Action(cmd::kDisplayUsersGuide)->trigger();
  ASSERT_NE(frame->GuideWindow(), nullptr);
  EXPECT_TRUE(frame->GuideWindow()->isVisible());
  EXPECT_TRUE(frame->GuideWindow()->Browser()->toPlainText().contains("Halvex User's Guide"));
}

TEST_F(WindowTest, ViewerGetsBothPathsQuoted)
{
  std::filesystem::create_directory(folder.File("my viewer"));
  std::string viewer = folder.File("my viewer/show file");
  std::string out = folder.File("viewer-args.txt");
  {
    QFile script(QString::fromStdString(viewer));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + "'\n").c_str());
  }
  std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
  app->m_settings.m_strFileViewerPath = viewer;
  app->m_settings.m_strLogFilePath = folder.File("Halvex Log.txt");
  frame->Action(cmd::kViewLogFile)->trigger();
  ASSERT_TRUE(ProcessEventsUntil([&] { return ReadAll(out).find('|') != std::string::npos; }));
  EXPECT_EQ(ReadAll(out), "1|" + folder.File("Halvex Log.txt"));
}

TEST_F(WindowTest, ViewerThatCannotStartIsLogged)
{
  app->m_settings.m_strFileViewerPath = folder.File("no such viewer");
  frame->Action(cmd::kViewResultsFile)->trigger();
  EXPECT_TRUE(frame->GetLogWindow()->toPlainText().contains(
      QString::fromStdString(app->Strings().Get(ids::kViewResultsFailed)).section('(', 0, 0)));
}

TEST_F(WindowTest, DeleteCommandsAskAndDelete)
{
  app->LogWriter().OnLogLine(1, "to be deleted");
  ASSERT_TRUE(FileExists(app->m_settings.m_strLogFilePath));
  frame->Action(cmd::kEditDeleteLogfile)->trigger(); // unattended: yes
  EXPECT_FALSE(FileExists(app->m_settings.m_strLogFilePath.substr(0)) &&
               ReadAll(app->m_settings.m_strLogFilePath).find("to be deleted") !=
                   std::string::npos);
  // Delete results file does nothing at all without the file.
  frame->GetResultsWindow()->AppendText("kept\r\n");
  frame->Action(cmd::kEditDeleteResultsfile)->trigger();
  EXPECT_EQ(frame->GetResultsWindow()->TextLength(), 6u);
  AppendLineToFile(app->m_settings.m_strResultsFilePath, "result");
  frame->Action(cmd::kEditDeleteResultsfile)->trigger();
  EXPECT_EQ(frame->GetResultsWindow()->TextLength(), 0u);
  EXPECT_FALSE(FileExists(app->m_settings.m_strResultsFilePath));
}

TEST_F(WindowTest, BoxFromAWorkerThreadIsShownOnTheUserInterfaceThread)
{
  app->QtPrompts().SetUnattended(false);
  QThread* uiThread = QThread::currentThread();
  QThread* boxThread = nullptr;
  std::atomic<bool> answered{false};
  BoxAnswer answer = BoxAnswer::Ok;
  std::thread worker([&] {
    answer = app->Prompts().Ask(
        {"from a worker", BoxIcon::Question, BoxButtons::YesNo, BoxAnswer::Yes, false});
    answered = true;
  });
  // The box runs its own event loop, so the answer comes from a timer inside it.
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxThread = box->thread();
      EXPECT_EQ(box->text(), "from a worker");
      box->button(QMessageBox::No)->click();
    }
  });
  answerer.start(10);
  ASSERT_TRUE(ProcessEventsUntil([&] { return answered.load(); }));
  answerer.stop();
  worker.join();
  EXPECT_EQ(boxThread, uiThread);
  EXPECT_EQ(answer, BoxAnswer::No);
}

TEST_F(WindowTest, ResultsAndConditionsLinesAreOneLineEach)
{
  std::string text = "first\r\nsecond";
  frame->OnTestResultsMsg(0, reinterpret_cast<MsgLParam>(text.c_str()));
  frame->OnTestConditionsMsg(0, reinterpret_cast<MsgLParam>(text.c_str()));
  EXPECT_EQ(frame->GetResultsWindow()->toPlainText(), "first  second\nfirst  second\n");
}

} // namespace
} // namespace harness::test

namespace harness::test {
namespace {

TEST_F(WindowTest, ArchiveFailuresOfTheBaseLibraryBecomeLogLines)
{
  CMemFile file;
  CArchive archive(&file, CArchive::load);
  archive.SetError(ArchiveError::badClass);
  ReportArchiveError(archive, 0);
  EXPECT_TRUE(
      frame->GetLogWindow()->toPlainText().contains(QString::fromStdString(app->Strings().Get(
          ids::kArchiveCauseFirst + static_cast<int>(ArchiveExceptionCause::BadClass)))));
  frame->GetLogWindow()->ClearText();
  ReportArchiveError(archive, 3); // above the logging level
  EXPECT_EQ(frame->GetLogWindow()->TextLength(), 0u);
}

} // namespace
} // namespace harness::test
