// Runs in the harness's windows under the offscreen platform: the run commands and their
// enabling, icons, status panel and results window, pause, resume and stop from the frame's
// commands, the private run message, configuring a test case, the delete commands, printing,
// the save-changes question, a suite opened twice, and a run ended by a forced shut-down.
#include "halvexapp.h"
#include "halvexview.h"
#include "harness/commands.h"
#include "harness/logfile.h"
#include "harness/stateicons.h"
#include "harness/stringids.h"
#include "limitededit.h"
#include "mainframe.h"
#include "ourstatusbar.h"
#include "plinth/archive.h"
#include "plinth/component.h"
#include "qtprompts.h"
#include "qtsupport.h"
#include "suiteprinter.h"
#include "testsupport/privateregistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

std::string BuildDir()
{
  const char* build = std::getenv("HALVEX_BUILD_DIR");
  return build ? build : ".";
}

class RunWindowTest : public ::testing::Test
{
protected:
  RunWindowTest() : registry(folder) {}

  void SetUp() override
  {
    TestApplication();
    app = std::make_unique<CHalvexApp>();
    ASSERT_TRUE(PrepareApp(*app, folder));
    registry.SeedRoot(folder.Path(), folder.Path() + "/");
    app->SetRootKey(kRootKey);
    guiLoggingLevel = 3;
    app->m_settings.m_nLogDateTime = 1;
    app->m_settings.m_nNtLoggingEnable = 0;
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
    ASSERT_NE(app->ComponentLoader()->LoadComponentDll(BuildDir() + "/tests/RunProbe.so"), nullptr);
  }
  void TearDown() override
  {
    app->ExitInstance();
    app.reset();
  }

  // A suite file of the probe's test cases: (prototype, label, iterations) each.
  std::string WriteSuite(const std::string& name,
                         const std::vector<std::tuple<std::string, std::string, int>>& cases)
  {
    CTestSuite suite;
    suite.m_strName = name;
    CComponent* component = app->ComponentLoader()->FindComponentByClass("RunProbe");
    for (const auto& [prototype, label, iterations] : cases)
      for (CTestCase* p : component->m_TestCaseList)
        if (p->GetLabel() == prototype) {
          CTestCase* testCase = p->Clone();
          testCase->SetLabel(label);
          testCase->SetIterations(iterations);
          suite.push_back(testCase);
        }
    const std::string path = folder.File(name + ".ts");
    CFile file;
    EXPECT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
    CArchive ar(&file, CArchive::store);
    suite.Serialize(ar);
    EXPECT_TRUE(ar.Close());
    return path;
  }

  CHalvexView* Open(const std::string& path)
  {
    EXPECT_TRUE(app->OpenDocumentFile(path));
    CHalvexView* view = frame->ActiveSuiteWindow();
    if (view != nullptr)
      view->Engine().SetPauseBetweenItems(std::chrono::milliseconds(0));
    return view;
  }

  bool Enabled(int command)
  {
    frame->UpdateCommandUI();
    return frame->Action(command)->isEnabled();
  }
  std::string StatusText(int field) const
  {
    return frame->GetStatusBar()->FieldText(field).toStdString();
  }
  bool Idle() const { return !IsRunInProgress(app->m_nRunState) && !app->IsRunThreadWorking(); }
  QString Results() const { return frame->GetResultsWindow()->toPlainText(); }
  QString Log() const { return frame->GetLogWindow()->toPlainText(); }
  QString Text(int id) const { return QString::fromStdString(app->Strings().Get(id)); }

  TempFolder folder;
  PrivateRegistry registry;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

TEST_F(RunWindowTest, RunAllShowsTheRunAndItsVerdicts)
{
  CHalvexView* view = Open(WriteSuite(
      "Nightly", {{"Pass then fail", "Memory", 2}, {"Pass", "Boot", 1}, {"Pass", "Never", 0}}));
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(Enabled(cmd::kRunSelected)); // nothing selected
  ASSERT_TRUE(Enabled(cmd::kRunAll));
  EXPECT_FALSE(Enabled(cmd::kStopRun));
  frame->Action(cmd::kRunAll)->trigger();
  // The window takes no input from the moment the run is asked for.
  EXPECT_FALSE(view->isEnabled());
  EXPECT_FALSE(Enabled(cmd::kRunAll));
  EXPECT_FALSE(Enabled(cmd::kDeleteAll));
  EXPECT_TRUE(Enabled(cmd::kStopRun));
  ASSERT_TRUE(ProcessEventsUntil([&] { return Idle(); }));
  EXPECT_TRUE(view->isEnabled());
  EXPECT_EQ(app->m_nRunState, RunState::Failed);
  EXPECT_EQ(view->ItemIcon(0), kIconFailed);
  EXPECT_EQ(view->ItemIcon(1), kIconPassed);
  EXPECT_EQ(view->ItemIcon(2), kIconPassed); // no iterations: not run, not counted
  EXPECT_EQ(StatusText(kStatusFailuresField), "1");
  EXPECT_EQ(StatusText(kStatusProgressField), ProgressText(app->Strings(), 3, 3));
  EXPECT_EQ(StatusText(kStatusRunStateField), RunStateText(app->Strings(), RunState::Failed));
  EXPECT_EQ(StatusText(kStatusTestCaseField), "Never");
  EXPECT_TRUE(Results().contains("Memory: execution 2, fail"));
  EXPECT_TRUE(Results().contains(
      QString::fromStdString(app->Strings().Format(ids::kSuiteEndReport, {"Nightly"}))));
  EXPECT_TRUE(Log().contains(Text(ids::kRunEnded)));
  EXPECT_EQ(view->Document().m_nDocState, kDocStateIdle);
  // The results file holds what the window shows.
  EXPECT_NE(ReadAll(app->m_settings.m_strResultsFilePath).find("Memory: execution 2, fail\r\n"),
            std::string::npos);
  // A refresh of the view puts the icons and the status panel back.
  view->Refresh();
  EXPECT_EQ(view->ItemIcon(0), kIconNotRun);
  EXPECT_EQ(app->m_nRunState, RunState::Idle);
  EXPECT_EQ(StatusText(kStatusFailuresField), "0");
}

TEST_F(RunWindowTest, PauseResumeAndStopFromTheCommands)
{
  CHalvexView* view = Open(WriteSuite("Slow", {{"Sleep", "Slow", 20}, {"Pass", "Later", 1}}));
  ASSERT_NE(view, nullptr);
  int (*executions)() = reinterpret_cast<int (*)()>(platform::GetProcAddress(
      app->ComponentLoader()->GetLoadedModules().back(), "probe_executions"));
  const int before = executions();
  frame->Action(cmd::kRunAll)->trigger();
  ASSERT_TRUE(ProcessEventsUntil([&] { return executions() >= before + 2; }));
  ASSERT_TRUE(Enabled(cmd::kPauseRun));
  EXPECT_FALSE(Enabled(cmd::kResumeRun));
  frame->Action(cmd::kPauseRun)->trigger();
  EXPECT_TRUE(Enabled(cmd::kResumeRun));
  EXPECT_FALSE(Enabled(cmd::kPauseRun));
  EXPECT_TRUE(Enabled(cmd::kStopRun));
  ASSERT_TRUE(ProcessEventsUntil([&] { return Log().contains(Text(ids::kRunPaused)); }));
  EXPECT_EQ(StatusText(kStatusRunStateField), RunStateText(app->Strings(), RunState::Paused));
  frame->Action(cmd::kResumeRun)->trigger();
  ASSERT_TRUE(ProcessEventsUntil([&] { return Log().contains(Text(ids::kRunResumed)); }));
  EXPECT_EQ(StatusText(kStatusRunStateField), RunStateText(app->Strings(), RunState::Running));
  frame->Action(cmd::kStopRun)->trigger();
  EXPECT_TRUE(Log().contains(QString::fromStdString(
      RunStateText(app->Strings(), RunState::StopRequested)))); // said at level 3 at once
  ASSERT_TRUE(ProcessEventsUntil([&] { return Idle(); }));
  EXPECT_EQ(app->m_nRunState, RunState::Stopped);
  EXPECT_TRUE(Log().contains(Text(ids::kRunStoppedByUser)));
  EXPECT_LT(executions() - before, 20);
  EXPECT_EQ(view->ItemIcon(1), kIconNotRun);
  EXPECT_TRUE(view->isEnabled());
}

TEST_F(RunWindowTest, EmptySuiteRunsThroughThePrivateMessage)
{
  CHalvexView* view = Open(WriteSuite("Empty", {}));
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(Enabled(cmd::kRunAll));
  QCoreApplication::postEvent(view, new QEvent(CHalvexView::kRunAllEvent));
  ASSERT_TRUE(ProcessEventsUntil([&] { return Log().contains(Text(ids::kRunEnded)); }));
  ASSERT_TRUE(ProcessEventsUntil([&] { return Idle(); }));
  EXPECT_EQ(app->m_nRunState, RunState::Passed);
  const QString results = Results();
  EXPECT_TRUE(
      results.contains(QString::fromStdString(app->Strings().Format(ids::kSuiteTotal, {"0"}))));
  EXPECT_TRUE(results.contains(Text(ids::kSuiteReportEnd)));
}

TEST_F(RunWindowTest, ResultsGoThroughNtLogWithItsVariations)
{
  app->m_settings.m_nNtLoggingEnable = 1;
  ASSERT_TRUE(app->ResultsView().IsNtLogAvailable());
  CHalvexView* view = Open(WriteSuite("Variations", {{"Variation", "Variation", 1}}));
  ASSERT_NE(view, nullptr);
  view->OnRunAll();
  ASSERT_TRUE(ProcessEventsUntil([&] { return Idle(); }));
  EXPECT_EQ(app->m_nRunState, RunState::Passed);
  // The test case's entries came through the message from the worker: one variation opened
  // and ended in NTLog, and the harness's verdict entry passed.
  CResultsView& results = app->ResultsView();
  ASSERT_NE(results.NtLog(), nullptr);
  tlStats stats{};
  ASSERT_EQ(results.NtLogBinding().Api().tlGetTestStat(results.NtLog(), &stats), 1);
  EXPECT_EQ(stats.variations, 1u);
  EXPECT_EQ(stats.failedVariations, 0u);
  EXPECT_GE(stats.pass, 3u); // the entry, the end of the variation, the verdict
  EXPECT_FALSE(results.InVariation());
  EXPECT_TRUE(Results().contains("variation passed"));
  // NTLog keeps the results file; the harness wrote none of its own lines there.
  EXPECT_EQ(ReadAll(app->m_settings.m_strResultsFilePath).find("variation passed\r\n"),
            std::string::npos);
}

TEST_F(RunWindowTest, ConfigureTestCaseAndTheDoubleClick)
{
  CHalvexView* view = Open(WriteSuite("Configure", {{"Pass", "One", 1}, {"Pass", "Two", 1}}));
  ASSERT_NE(view, nullptr);
  view->topLevelItem(0)->setSelected(true);
  EXPECT_FALSE(Enabled(cmd::kConfigureTestCase)); // not in configuration mode
  CRegKey root;
  ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
  ASSERT_EQ(root.WriteDword("Configurations Set", 0), 0);
  frame->RefreshConfigMode();
  ASSERT_TRUE(Enabled(cmd::kConfigureTestCase));
  frame->Action(cmd::kConfigureTestCase)->trigger(); // the probe adds an iteration
  EXPECT_EQ(view->topLevelItem(0)->text(1), "2");
  EXPECT_TRUE(view->Document().IsModified());
  // Two selected: the command is disabled; the double click says why and changes nothing.
  view->topLevelItem(0)->setSelected(true);
  view->topLevelItem(1)->setSelected(true);
  EXPECT_FALSE(Enabled(cmd::kConfigureTestCase));
  emit view->itemDoubleClicked(view->topLevelItem(1), 0);
  EXPECT_EQ(view->topLevelItem(1)->text(1), "1");
  view->clearSelection();
  view->topLevelItem(1)->setSelected(true);
  emit view->itemDoubleClicked(view->topLevelItem(1), 0);
  EXPECT_EQ(view->topLevelItem(1)->text(1), "2");
}

TEST_F(RunWindowTest, DeleteCommandsAskLogAndUpdate)
{
  CHalvexView* view =
      Open(WriteSuite("Deletes", {{"Pass", "One", 1}, {"Pass", "Two", 1}, {"Pass", "Three", 1}}));
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(Enabled(cmd::kDeleteSelected));
  view->topLevelItem(1)->setSelected(true);
  ASSERT_TRUE(Enabled(cmd::kDeleteSelected));
  frame->Action(cmd::kDeleteSelected)->trigger(); // unattended: yes
  ASSERT_EQ(view->topLevelItemCount(), 2);
  EXPECT_EQ(view->topLevelItem(1)->text(0), "Three");
  app->LogWriter().ClearWindow();
  guiLoggingLevel = 2;
  app->m_nDosTestCases = 1;
  frame->Action(cmd::kDeleteAll)->trigger();
  EXPECT_EQ(view->topLevelItemCount(), 0);
  EXPECT_EQ(app->m_nDosTestCases, 0);
  EXPECT_TRUE(Log().contains(Text(ids::kDeletedAll)));
  EXPECT_FALSE(Enabled(cmd::kDeleteAll));
}

TEST_F(RunWindowTest, TheListPrints)
{
  CHalvexView* view = Open(WriteSuite("Printed", {{"Pass", "Boot", 3}, {"Fail", "Memory", 1}}));
  ASSERT_NE(view, nullptr);
  std::unique_ptr<CSuitePrinter> pages = view->MakePrinter();
  const QString text = pages->Document().toPlainText();
  for (const char* cell :
       {"Test suite Printed", "Boot", "3", "Memory", "ProbeTestCase", "RunProbe"})
    EXPECT_TRUE(text.contains(QLatin1String(cell))) << cell;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(folder.File("suite.pdf")));
  pages->Print(&printer);
  EXPECT_EQ(ReadAll(folder.File("suite.pdf")).substr(0, 5), "%PDF-");
  EXPECT_TRUE(Enabled(cmd::kFilePrintPreview));
}

TEST_F(RunWindowTest, SaveChangesQuestionCancelKeepsTheWindow)
{
  CHalvexView* view = Open(WriteSuite("Edited", {{"Pass", "One", 1}}));
  ASSERT_NE(view, nullptr);
  view->Document().SetModifiedFlag();
  app->QtPrompts().SetUnattended(false);
  struct Case
  {
    QMessageBox::StandardButton button; // NoButton: Escape
    bool closed;
  } cases[] = {{QMessageBox::NoButton, false}, {QMessageBox::Cancel, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    QTimer::singleShot(50, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_NE(box->button(QMessageBox::Cancel), nullptr);
      if (c.button == QMessageBox::NoButton) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &escape);
      } else {
        box->button(c.button)->click();
      }
    });
    frame->MdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), c.closed ? 0 : 1);
  }
}

TEST_F(RunWindowTest, AForcedShutDownEndsTheRunFirst)
{
  CHalvexView* view = Open(WriteSuite("Waiting", {{"Wait", "Waits", 3}}));
  ASSERT_NE(view, nullptr);
  view->OnRunAll();
  ASSERT_TRUE(ProcessEventsUntil([&] { return app->m_run.m_pCurrentTestCase != nullptr; }));
  EXPECT_FALSE(frame->close()); // refused during a run
  app->ExitInstance();          // what follows a forced shut-down
  EXPECT_FALSE(app->IsRunThreadWorking());
}

} // namespace
} // namespace harness::test
