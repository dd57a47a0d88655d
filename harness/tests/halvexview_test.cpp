// The suite window under the offscreen platform: opening a suite, the list's columns and rows,
// delete, rename and save, reopening, and files that cannot be read.
#include "halvexapp.h"
#include "halvexview.h"
#include "harness/stateicons.h"
#include "harness/stringids.h"
#include "limitededit.h"
#include "mainframe.h"
#include "plinth/archive.h"
#include "plinth/component.h"
#include "qtprompts.h"
#include "qtsupport.h"

#include <QHeaderView>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <gtest/gtest.h>

#include <fstream>

namespace harness::test {

using namespace testsupport;
namespace {

class SuiteWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    app = std::make_unique<CHalvexApp>();
    ASSERT_TRUE(PrepareApp(*app, folder));
    guiLoggingLevel = 1;
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
  }
  void TearDown() override
  {
    app->ExitInstance();
    app.reset();
  }

  // A suite of three plain test cases, written as the suite file holds it.
  std::string WriteSuite(const std::string& name)
  {
    CTestSuite suite;
    const char* labels[] = {"Boot", "Memory", "Video"};
    for (int i = 0; i < 3; ++i) {
      auto* p = new CTestCase;
      p->m_strClassName = i == 2 ? "Video Tests" : "Lab Tests";
      p->m_strLabel = labels[i];
      p->m_nIterations = i + 1;
      suite.push_back(p);
    }
    suite.m_strName = "Nightly";
    suite.m_strComponent = "Several components";
    const std::string path = folder.File(name);
    CFile file;
    EXPECT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
    CArchive ar(&file, CArchive::store);
    suite.Serialize(ar);
    EXPECT_TRUE(ar.Close());
    return path;
  }

  CHalvexView* OnlySuiteWindow() const
  {
    const auto windows = frame->MdiArea()->subWindowList();
    return windows.size() == 1 ? qobject_cast<CHalvexView*>(windows.front()->widget()) : nullptr;
  }

  TempFolder folder;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

TEST_F(SuiteWindowTest, ShowsTheSuiteInFourColumns)
{
  ASSERT_TRUE(app->OpenDocumentFile(WriteSuite("nightly.ts")));
  CHalvexView* window = OnlySuiteWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Nightly"));
  ASSERT_EQ(window->columnCount(), 4);
  for (int column = 0; column < 4; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(window->columnWidth(column), CHalvexView::kColumnWidths[column]);
  }
  ASSERT_EQ(window->topLevelItemCount(), 3);
  const QTreeWidgetItem* video = window->topLevelItem(2);
  EXPECT_EQ(video->text(0), QStringLiteral("Video"));
  EXPECT_EQ(video->text(1), QStringLiteral("3"));
  EXPECT_EQ(video->text(2), QStringLiteral("TestCase"));
  EXPECT_EQ(video->text(3), QStringLiteral("Video Tests"));
  EXPECT_EQ(video->data(0, Qt::UserRole).toULongLong(), 2u);
}

TEST_F(SuiteWindowTest, HeadersComeFromTheStringTableAndRowsStartNotRun)
{
  ASSERT_TRUE(app->OpenDocumentFile(WriteSuite("icons.ts")));
  CHalvexView* window = OnlySuiteWindow();
  ASSERT_NE(window, nullptr);
  const int headers[] = {ids::kColumnLabel, ids::kColumnIterations, ids::kColumnBaseName,
                         ids::kColumnComponent};
  for (int column = 0; column < 4; ++column) {
    SCOPED_TRACE(column);
    const QString text = QString::fromStdString(app->Strings().Get(headers[column]));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(window->headerItem()->text(column), text);
  }
  // Five images, each a picture of its own, at 16 by 16.
  ASSERT_EQ(window->StateIcons().size(), kStateIconCount);
  QList<qint64> pictures;
  for (const QIcon& icon : window->StateIcons()) {
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(kStateIconSize, kStateIconSize).toImage();
    EXPECT_EQ(image.size(), QSize(kStateIconSize, kStateIconSize));
    EXPECT_FALSE(pictures.contains(image.cacheKey()));
    pictures << image.cacheKey();
  }
  for (int row = 0; row < window->topLevelItemCount(); ++row)
    EXPECT_EQ(window->ItemIcon(row), kIconNotRun);

  struct Case
  {
    int row;
    int image;
    bool set;
  };
  const Case cases[] = {{0, kIconRunning, true},
                        {1, StateIconAfterRun(kStatusFailed), true},
                        {2, StateIconAfterRun(kStatusPassed), true},
                        {3, kIconPassed, false},
                        {0, kStateIconCount, false},
                        {0, -1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.row << "/" << c.image);
    const int before = window->ItemIcon(c.row);
    EXPECT_EQ(window->SetItemIcon(c.row, c.image), c.set);
    EXPECT_EQ(window->ItemIcon(c.row), c.set ? c.image : before);
  }
  // An icon change is no label edit: the suite keeps its labels and stays unmodified.
  EXPECT_FALSE(window->Document().IsModified());
  EXPECT_EQ(window->topLevelItem(1)->text(0), QStringLiteral("Memory"));
  // A refresh puts every row back to not run.
  window->Refresh();
  for (int row = 0; row < window->topLevelItemCount(); ++row)
    EXPECT_EQ(window->ItemIcon(row), kIconNotRun);
}

TEST_F(SuiteWindowTest, EditsAreSavedAndKeptWhenOpenedAgain)
{
  const std::string path = WriteSuite("nightly.ts");
  ASSERT_TRUE(app->OpenDocumentFile(path));
  CHalvexView* window = OnlySuiteWindow();
  ASSERT_NE(window, nullptr);
  // Delete the first, rename the second (now first) by label edit.
  window->topLevelItem(0)->setSelected(true);
  window->OnDeleteSelected();
  ASSERT_EQ(window->topLevelItemCount(), 2);
  window->topLevelItem(0)->setText(0, QStringLiteral("Memory, long"));
  EXPECT_EQ(window->Document().TestCaseAt(0)->GetLabel(), "Memory, long");
  EXPECT_TRUE(window->Document().IsModified());
  EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" *")));
  ASSERT_TRUE(window->Document().SetIterations(1, 40000));
  ASSERT_TRUE(window->Save());
  EXPECT_FALSE(window->Document().IsModified());
  frame->MdiArea()->closeAllSubWindows();
  ASSERT_TRUE(ProcessEventsUntil([&] { return frame->MdiArea()->subWindowList().isEmpty(); }));

  ASSERT_TRUE(app->OpenDocumentFile(path));
  window = OnlySuiteWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->topLevelItemCount(), 2);
  EXPECT_EQ(window->topLevelItem(0)->text(0), QStringLiteral("Memory, long"));
  EXPECT_EQ(window->topLevelItem(1)->text(1), QStringLiteral("40000"));
}

TEST_F(SuiteWindowTest, AFileThatCannotBeReadOpensNoWindow)
{
  // A test case of a class whose plug-in is not loaded.
  std::ofstream(folder.File("unknown.ts"), std::ios::binary)
      << std::string("\x01\x00\xFF\xFF\x01\x00\x0B\x00"
                     "CTestcaseEx",
                     19);
  EXPECT_FALSE(app->OpenDocumentFile(folder.File("unknown.ts")));
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
  EXPECT_TRUE(frame->GetLogWindow()->toPlainText().contains(
      QString::fromStdString(folder.File("unknown.ts"))));
}

TEST_F(SuiteWindowTest, ARunningSuiteKeepsItsWindow)
{
  ASSERT_TRUE(app->OpenDocumentFile(WriteSuite("nightly.ts")));
  CHalvexView* window = OnlySuiteWindow();
  ASSERT_NE(window, nullptr);
  window->Document().m_nDocState = harness::kDocStateRunning;
  frame->MdiArea()->closeAllSubWindows();
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
  window->Document().m_nDocState = harness::kDocStateIdle;
}

} // namespace
} // namespace harness::test
