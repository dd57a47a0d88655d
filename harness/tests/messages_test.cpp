// The five messages from worker threads into the main window, and a log send that times out
// while the user-interface thread is busy.
#include "halvexapp.h"
#include "harness/logfile.h"
#include "harnessmessages.h"
#include "limitededit.h"
#include "mainframe.h"
#include "plinth/component.h"
#include "qtprompts.h"
#include "qtsupport.h"

#include <QMdiArea>
#include <atomic>
#include <gtest/gtest.h>

#include <fstream>

namespace harness::test {

using namespace testsupport;
namespace {

class MessagesTest : public ::testing::Test
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
    app->m_settings.m_strDefaultLoggingFolder = folder.Path();
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
  }
  void TearDown() override
  {
    app->ExitInstance();
    app.reset();
  }

  TempFolder folder;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

TEST_F(MessagesTest, NamesGiveTheSameNumbersEverywhere)
{
  EXPECT_EQ(g_uLogMessage, platform::RegisterWindowMessage("HALVEX Log Message"));
  EXPECT_EQ(g_uOpenMessage, platform::RegisterWindowMessage("HALVEX Open Message"));
  EXPECT_EQ(g_uResultsMessage, platform::RegisterWindowMessage("HALVEX Test Results Message"));
  EXPECT_EQ(g_uConditionsMessage,
            platform::RegisterWindowMessage("HALVEX Test Conditions Message"));
  EXPECT_EQ(g_uNtLogMessage, platform::RegisterWindowMessage("HALVEX NTLog Message"));
  EXPECT_EQ(platform::GetMainWnd(), frame->WindowHandle());
  EXPECT_EQ(platform::GetClassName(frame->WindowHandle()), "HALVEXclass");
}

TEST_F(MessagesTest, AllFiveFromWorkerThreads)
{
  std::string suite = folder.File("suite.ts");
  std::ofstream(suite).close(); // a zero-length file is an empty suite
  constexpr int kWorkers = 4;
  constexpr int kLines = 25;
  std::atomic<int> finished{0};
  std::atomic<platform::LRESULT> opened{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.push_back(platform::StartThread([&, w] {
      for (int i = 0; i < kLines; ++i)
        app->Log(1, "worker " + std::to_string(w) + " line " + std::to_string(i));
      app->Log(3, "worker " + std::to_string(w) + " notice"); // above the level: ignored
      std::string result = "result of " + std::to_string(w);
      platform::SendToMainWindow(g_uResultsMessage, 0,
                                 reinterpret_cast<platform::LPARAM>(result.c_str()));
      std::string conditions = "conditions of " + std::to_string(w);
      platform::SendToMainWindow(g_uConditionsMessage, 0,
                                 reinterpret_cast<platform::LPARAM>(conditions.c_str()));
      std::string source = "TestcaseEx";
      std::string text = "ntlog of " + std::to_string(w);
      NtLogEntry entry{0x40, source.c_str(), 42, text.c_str()};
      platform::SendToMainWindow(g_uNtLogMessage, 0, reinterpret_cast<platform::LPARAM>(&entry));
      if (w == 0)
        opened = platform::SendToMainWindow(g_uOpenMessage, 0,
                                            reinterpret_cast<platform::LPARAM>(suite.c_str()));
      ++finished;
    }));
  }
  ASSERT_TRUE(ProcessEventsUntil([&] { return finished.load() == kWorkers; }));
  for (auto& worker : workers)
    worker.join();
  QString log = frame->GetLogWindow()->toPlainText();
  QString results = frame->GetResultsWindow()->toPlainText();
  for (int w = 0; w < kWorkers; ++w) {
    SCOPED_TRACE(w);
    for (int i = 0; i < kLines; ++i)
      EXPECT_EQ(log.count(QStringLiteral("worker %1 line %2\n").arg(w).arg(i)), 1);
    EXPECT_FALSE(log.contains(QStringLiteral("worker %1 notice").arg(w)));
    EXPECT_TRUE(results.contains(QStringLiteral("result of %1").arg(w)));
    EXPECT_TRUE(results.contains(QStringLiteral("conditions of %1").arg(w)));
    EXPECT_TRUE(results.contains(QStringLiteral("ntlog of %1").arg(w)));
  }
  // The file holds the same lines as the window, none lost.
  EXPECT_EQ(QString::fromStdString(ReadAll(folder.File("log.txt"))).count("\r\n"),
            kWorkers * kLines);
  EXPECT_EQ(opened.load(), 1);
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
}

TEST_F(MessagesTest, OpenMessageWithAMissingFileReturnsZero)
{
  std::string missing = folder.File("missing.ts");
  std::string empty;
  EXPECT_EQ(frame->OnOpenMsg(0, reinterpret_cast<MsgLParam>(missing.c_str())), 0);
  EXPECT_EQ(frame->OnOpenMsg(0, reinterpret_cast<MsgLParam>(empty.c_str())), 0);
  EXPECT_EQ(frame->OnOpenMsg(0, 0), 0);
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
}

TEST_F(MessagesTest, LogSendThatTimesOutIsDroppedByTheSender)
{
  platform::LRESULT sent = -1;
  bool wentOn = false;
  // The user-interface thread does not take messages while it joins the worker.
  std::thread worker = platform::StartThread([&] {
    std::string text = "late line";
    sent = platform::SendTextToMainWindowTimeout(g_uLogMessage, 1, text, platform::SMTO_BLOCK,
                                                 kLogSendTimeoutMs, nullptr);
    text.assign(64, 'z'); // the sender's text changes at once; the queued copy does not
    wentOn = true;
  });
  worker.join();
  EXPECT_EQ(sent, 0);
  EXPECT_TRUE(wentOn);
  // Handled later from the message's own copy, exactly once.
  ProcessEventsUntil([&] { return !platform::HasPendingMessages(); }, 5000);
  QString log = frame->GetLogWindow()->toPlainText();
  EXPECT_EQ(log.count(QStringLiteral("late line")), 1);
  EXPECT_FALSE(log.contains(QStringLiteral("zzzz")));
}

TEST_F(MessagesTest, ThreadWithoutMainWindowSendsNothing)
{
  platform::LRESULT sent = -1;
  std::thread worker([&] {
    sent = platform::SendTextToMainWindowTimeout(g_uLogMessage, 0, "nowhere", platform::SMTO_BLOCK,
                                                 kLogSendTimeoutMs, nullptr);
  });
  worker.join();
  EXPECT_EQ(sent, 0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame->GetLogWindow()->toPlainText().contains("nowhere"));
}

} // namespace
} // namespace harness::test
