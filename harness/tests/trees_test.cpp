// The left bar's trees in the main window under the offscreen platform: what they show, drops
// from them and between suite windows through the drop events, item properties, opening a
// stored suite, Save As into the suites folder, and Marlow's DOS check after a drop.
#include "harness/treecontent.h"
#include "plinth/dosbatch.h"
#include "treessupport.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QTabWidget>
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

namespace harness::test {

using namespace testsupport;
namespace {

std::vector<std::string> Children(const QTreeWidgetItem* item)
{
  std::vector<std::string> texts;
  for (int i = 0; item != nullptr && i < item->childCount(); ++i)
    texts.push_back(item->child(i)->text(0).toStdString());
  return texts;
}

std::vector<std::string> Roots(const QTreeWidget* tree)
{
  std::vector<std::string> texts;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    texts.push_back(tree->topLevelItem(i)->text(0).toStdString());
  return texts;
}

QImage Picture(const QIcon& icon)
{
  return icon.pixmap(kTreeIconSize, kTreeIconSize).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(TreesTest, TreesShowTheComponentsAndTheSuitesOfTheSuitesFolder)
{
  WriteSuite("a.ts", "Lab nightly", "lab", {"Boot", "Memory"});
  WriteSuite("b.ts", "Mixed", app->Strings().Get(ids::kSeveralComponents), {"Boot"});
  WriteSuite("c.ts", "Stranger", "Gamma", {"Boot"});
  const std::string damaged = WriteSuite("d.ts", "Damaged", "Lab", {"Boot"});
  std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged) - 2);
  const std::string locked = WriteSuite("e.ts", "Locked", "Lab", {"Boot"});
  WriteSuite("f.ts", "Video weekly", "Video", {"Capture"});
  const int fd = ::open(locked.c_str(), O_RDWR);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  app->RefreshSuitesTree();
  ::close(fd);

  EXPECT_EQ(Roots(TestsTree()), (std::vector<std::string>{"Lab", "Video"}));
  EXPECT_EQ(Children(Find(TestsTree(), {"Lab"})),
            (std::vector<std::string>{"Audio", "Boot", "Memory"}));
  const std::string several = app->Strings().Get(ids::kSeveralComponents);
  EXPECT_EQ(Roots(SuitesTree()), (std::vector<std::string>{"Lab", "Video", several}));
  EXPECT_EQ(Children(Find(SuitesTree(), {"Lab"})), (std::vector<std::string>{"Lab nightly"}));
  EXPECT_EQ(Children(Find(SuitesTree(), {"Lab", "Lab nightly"})),
            (std::vector<std::string>{"Boot", "Memory"}));
  EXPECT_EQ(Children(Find(SuitesTree(), {several.c_str()})), (std::vector<std::string>{"Mixed"}));
  EXPECT_EQ(SuitesTree()->LoadedSuiteCount(), 4u); // the stranger is loaded, not shown
  // The damaged file's archive error and the locked file are in the log; the scan went on.
  EXPECT_NE(LogText().find(damaged), std::string::npos);
  EXPECT_NE(LogText().find(locked), std::string::npos);

  // Icons of the image list; the group of several components has its own.
  const QImage component = Picture(SuitesTree()->TreeIcon(kIconDefaultComponent));
  EXPECT_EQ(Picture(Find(SuitesTree(), {"Lab"})->icon(0)), component);
  EXPECT_EQ(Picture(Find(SuitesTree(), {several.c_str()})->icon(0)),
            Picture(SuitesTree()->TreeIcon(kIconSeveralComponents)));
  EXPECT_EQ(Picture(Find(SuitesTree(), {"Lab", "Lab nightly"})->icon(0)),
            Picture(SuitesTree()->TreeIcon(kIconSuite)));
  EXPECT_NE(Picture(SuitesTree()->TreeIcon(kIconSuite)), component);
}

TEST_F(TreesTest, AComponentShowsTheIconItsModuleCarries)
{
  ASSERT_TRUE(frame->AddComponentFile(PROBE_MODULE));
  QTreeWidgetItem* probe = Find(TestsTree(), {"ComponentProbe"});
  ASSERT_NE(probe, nullptr);
  QImage expected(QString::fromStdString(std::string(std::getenv("HALVEX_SOURCE_DIR")) +
                                         "/testsupport/probes/probe_icon.png"));
  ASSERT_FALSE(expected.isNull());
  EXPECT_EQ(Picture(probe->icon(0)), expected.convertToFormat(QImage::Format_ARGB32));
  EXPECT_NE(Picture(Find(TestsTree(), {"Lab"})->icon(0)), Picture(probe->icon(0)));
}

TEST_F(TreesTest, AComponentDroppedOnTheSecondRowGoesInBeforeItInTreeOrder)
{
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A", "B", "C"}));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Lab"})), 1), 1);
  EXPECT_EQ(Labels(view), (std::vector<std::string>{"A", "Audio", "Boot", "Memory", "B", "C"}));
  EXPECT_EQ(Rows(view), Labels(view));
  EXPECT_EQ(view->DropTarget()->DropRow(), -1);
  EXPECT_TRUE(view->Document().IsModified());

  // Below the last row nothing is highlighted and the drop appends.
  EXPECT_EQ(DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Video", "Capture"})), 99), -1);
  EXPECT_EQ(Labels(view).back(), "Capture");

  // Copies: configuring one in the suite leaves the prototype alone.
  auto* prototype =
      static_cast<CDragProbeCase*>(CAvailableTree::ItemObject(Find(TestsTree(), {"Lab", "Boot"})));
  auto* copy = static_cast<CDragProbeCase*>(view->Document().TestCaseAt(2));
  ASSERT_EQ(copy->GetLabel(), "Boot");
  const int before = prototype->m_nSetting;
  EXPECT_EQ(copy->Configure(), 1);
  EXPECT_EQ(prototype->m_nSetting, before);
  EXPECT_FALSE(copy->m_bCloned);
}

TEST_F(TreesTest, AnEmptyComponentInsertsNothingAndSaysSo)
{
  _ComponentList.push_back(MakeComponent("Empty", {}));
  app->FillTestCasesTree();
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A"}));
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Empty"})), 0);
  EXPECT_EQ(Labels(view), (std::vector<std::string>{"A"}));
  EXPECT_FALSE(view->Document().IsModified());
  EXPECT_NE(LogText().find(app->Strings().Format(ids::kDropNotTestCase, {"Empty"})),
            std::string::npos);
}

TEST_F(TreesTest, SuitesTreeItemsAreClonedIntoTheSuite)
{
  WriteSuite("a.ts", "Lab nightly", "Lab", {"One", "Two"});
  WriteSuite("b.ts", "Lab weekly", "Lab", {"Three"});
  app->RefreshSuitesTree();
  CHalvexView* view = Open(WriteSuite("target.ts", "Target", "Video", {"X"}));
  const struct
  {
    std::initializer_list<const char*> item;
    std::vector<std::string> labels;
  } cases[] = {
      {{"Lab", "Lab weekly"}, {"Three", "X"}},
      {{"Lab", "Lab nightly", "Two"}, {"Two", "Three", "X"}},
      {{"Lab"}, {"One", "Two", "Three", "Two", "Three", "X"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.labels.size());
    QTreeWidgetItem* item = Find(SuitesTree(), c.item);
    ASSERT_NE(item, nullptr);
    DropOn(view, SuitesTree()->DragData(item), 0);
    EXPECT_EQ(Labels(view), c.labels);
  }
  for (const CTestCase* p : view->Document().m_suite) {
    if (p->GetLabel() != "X") {
      EXPECT_TRUE(static_cast<const CDragProbeCase*>(p)->m_bCloned) << p->GetLabel();
    }
  }
  // A drag whose tree was refreshed meanwhile drops nothing.
  QMimeData* stale = SuitesTree()->DragData(Find(SuitesTree(), {"Lab", "Lab weekly"}));
  app->RefreshSuitesTree();
  DropOn(view, stale, 0);
  EXPECT_EQ(view->Document().m_suite.size(), 6u);
}

TEST_F(TreesTest, RowsDraggedBetweenSuiteWindowsMoveOrCopyWithCtrl)
{
  CHalvexView* first = Open(WriteSuite("one.ts", "One", "Lab", {"A", "B", "C"}));
  CHalvexView* second = Open(WriteSuite("two.ts", "Two", "Lab", {"X", "Y"}));
  ASSERT_NE(first, second);
  DropOn(second, first->DropTarget()->DragData({0, 2}), 1);
  EXPECT_EQ(Labels(first), (std::vector<std::string>{"B"}));
  EXPECT_EQ(Labels(second), (std::vector<std::string>{"X", "A", "C", "Y"}));
  EXPECT_EQ(Rows(first), Labels(first));
  EXPECT_TRUE(first->Document().IsModified());

  DropOn(first, second->DropTarget()->DragData({3}), 0, Qt::ControlModifier);
  EXPECT_EQ(Labels(first), (std::vector<std::string>{"Y", "B"}));
  EXPECT_EQ(Labels(second), (std::vector<std::string>{"X", "A", "C", "Y"}));

  // Ctrl onto the same window duplicates; without it the rows move.
  DropOn(first, first->DropTarget()->DragData({1}), 0, Qt::ControlModifier);
  EXPECT_EQ(Labels(first), (std::vector<std::string>{"B", "Y", "B"}));
  DropOn(first, first->DropTarget()->DragData({0}), 99);
  EXPECT_EQ(Labels(first), (std::vector<std::string>{"Y", "B", "B"}));
}

TEST_F(TreesTest, NothingIsDroppedIntoARunningSuite)
{
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A"}));
  view->Document().m_nDocState = kDocStateRunning;
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Lab"})), 0);
  EXPECT_EQ(Labels(view), (std::vector<std::string>{"A"}));
  view->Document().m_nDocState = kDocStateIdle;
}

TEST_F(TreesTest, DropsAskMarlowForDosTestCasesWhenItExportsTheCheck)
{
  ASSERT_NE(app->ComponentLoader()->LoadComponentDll(BuildBinFolder().toStdString() +
                                                     "/../tests/fixtures/dos/Marlow.so"),
            nullptr);
  _ComponentList.push_back(MakeComponent("Demo DOS Tests", {"DOS memory"}));
  app->FillTestCasesTree();
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A"}));
  app->m_nDosTestCases = 0;
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Lab", "Boot"})), 0);
  EXPECT_EQ(app->m_nDosTestCases, 0);
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Demo DOS Tests"})), 0);
  EXPECT_EQ(app->m_nDosTestCases, kBatchKindDos);
}

TEST_F(TreesTest, AMarlowWithoutTheCheckFindsNoDosTestCases)
{
  ASSERT_NE(app->ComponentLoader()->LoadComponentDll(BuildBinFolder().toStdString() +
                                                     "/../tests/fixtures/Marlow.so"),
            nullptr);
  CHalvexView* view = Open(WriteSuite("s.ts", "Suite", "Lab", {"A"}));
  app->m_nDosTestCases = 1;
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Lab", "Boot"})), 0);
  EXPECT_EQ(Labels(view), (std::vector<std::string>{"Boot", "A"}));
  EXPECT_EQ(app->m_nDosTestCases, 0);
}

TEST_F(TreesTest, SaveAsIntoTheSuitesFolderShowsTheSuiteUnderItsComponent)
{
  ScopedUnattended attended(false);
  frame->OnFileNew();
  CHalvexView* view = frame->SuiteWindows().back();
  DropOn(view, TestsTree()->DragData(Find(TestsTree(), {"Video"})), 0);
  // The properties sheet in "new" mode, then the save-as prompt.
  WhenModal([this](QWidget* sheet) {
    sheet->findChild<QLineEdit*>(QStringLiteral("1031"))->setText(QStringLiteral("Capture run"));
    WhenModal([this](QWidget* prompt) {
      auto* dialog = qobject_cast<QFileDialog*>(prompt);
      ASSERT_NE(dialog, nullptr);
      dialog->selectFile(QString::fromStdString(SuitesFolder() + "/capture.ts"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    static_cast<QDialog*>(sheet)->accept();
  });
  ASSERT_TRUE(view->SaveAs());
  EXPECT_EQ(Children(Find(SuitesTree(), {"Video"})), (std::vector<std::string>{"Capture run"}));
  EXPECT_EQ(Children(Find(SuitesTree(), {"Video", "Capture run"})),
            (std::vector<std::string>{"Capture"}));
}

TEST_F(TreesTest, ItemPropertiesAndOpenSelectedSuite)
{
  const std::string path = WriteSuite("a.ts", "Lab nightly", "Lab", {"One"});
  app->RefreshSuitesTree();
  frame->GetAvailableTestsWnd()->Tabs()->setCurrentIndex(0);
  SuitesTree()->setCurrentItem(Find(SuitesTree(), {"Lab", "Lab nightly", "One"}));
  // A stored test case is configured only in configuration mode; a suite always has properties.
  EXPECT_EQ(frame->Action(cmd::kViewItemProperties)->isEnabled(), frame->IsConfigMode());
  SuitesTree()->setCurrentItem(Find(SuitesTree(), {"Lab", "Lab nightly"}));
  EXPECT_TRUE(frame->Action(cmd::kViewItemProperties)->isEnabled());
  EXPECT_TRUE(frame->Action(cmd::kOpenSelectedSuite)->isEnabled());
  EXPECT_TRUE(frame->Action(cmd::kRefreshSuitesView)->isEnabled());

  // The suite's properties go into the suite the tree holds, not into its file.
  const std::string before = ReadAll(path);
  {
    ScopedUnattended attended(false);
    WhenModal([](QWidget* sheet) {
      sheet->findChild<QLineEdit*>(QStringLiteral("1032"))->setText(QStringLiteral("/moved.ts"));
      static_cast<QDialog*>(sheet)->accept();
    });
    frame->Action(cmd::kViewItemProperties)->trigger();
  }
  auto* suite = static_cast<CTestSuite*>(SuitesTree()->SelectedObject());
  EXPECT_EQ(suite->GetPath(), "/moved.ts");
  EXPECT_EQ(ReadAll(path), before);

  app->RefreshSuitesTree();
  SuitesTree()->setCurrentItem(Find(SuitesTree(), {"Lab", "Lab nightly"}));
  frame->Action(cmd::kOpenSelectedSuite)->trigger();
  ASSERT_EQ(frame->SuiteWindows().size(), 1);
  CHalvexView* view = frame->SuiteWindows().front();
  EXPECT_EQ(view->windowTitle(), QStringLiteral("Lab nightly"));
  EXPECT_EQ(view->Document().m_suite.GetPath(), path);

  // On the available-tests tab a prototype's properties configure the prototype.
  frame->GetAvailableTestsWnd()->Tabs()->setCurrentIndex(1);
  QTreeWidgetItem* boot = Find(TestsTree(), {"Lab", "Boot"});
  TestsTree()->setCurrentItem(boot);
  auto* prototype = static_cast<CDragProbeCase*>(CAvailableTree::ItemObject(boot));
  const int setting = prototype->m_nSetting;
  TestsTree()->ItemProperties();
  EXPECT_EQ(prototype->m_nSetting, setting + 1);
  EXPECT_FALSE(frame->Action(cmd::kOpenSelectedSuite)->isEnabled());
}

} // namespace
} // namespace harness::test
