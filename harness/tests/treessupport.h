// A main window with two in-process components (Lab with three test cases, Video with one), a
// private registry and suites folder, and helpers that drive drops through the events a real
// drop delivers.
#pragma once

#include "availabletestswnd.h"
#include "halvexview.h"
#include "harness/stringids.h"
#include "limitededit.h"
#include "mainframe.h"
#include "qtprompts.h"
#include "qtsupport.h"
#include "suitedroptarget.h"
#include "testcasestree.h"
#include "testsuitestree.h"
#include "testsupport/privateregistry.h"
#include "testsupport/probecases.h"

#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <gtest/gtest.h>

#include <filesystem>

namespace harness::test {

class TreesTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TestApplication();
    registry = std::make_unique<testsupport::PrivateRegistry>(folder);
    registry->SeedRoot(folder.Path(), folder.File("defs/"));
    std::filesystem::create_directories(SuitesFolder());
    app = std::make_unique<CHalvexApp>();
    app->QtPrompts().SetUnattended(true);
    ASSERT_TRUE(app->LoadResourceLibraries(BuildBinFolder()));
    guiLoggingLevel = 3;
    app->m_settings.m_nLogDateTime = 1;
    app->m_settings.m_strInstallationFolder = folder.Path();
    app->m_settings.m_strLogFilePath = folder.File("log.txt");
    app->m_settings.m_strResultsFilePath = folder.File("results.txt");
    app->m_settings.m_strDefaultLoggingFolder = folder.Path();
    app->m_settings.m_strTestSuitesFolder = SuitesFolder();
    app->SetRootKey(testsupport::kRootKey);
    ASSERT_TRUE(app->CreateMainFrame());
    frame = app->m_pMainFrame;
    frame->show();
    _ComponentList.push_back(testsupport::MakeComponent("Lab", {"Memory", "Boot", "Audio"}));
    _ComponentList.push_back(testsupport::MakeComponent("Video", {"Capture"}));
    app->FillTestCasesTree();
  }
  void TearDown() override
  {
    // Releases the components of _ComponentList with the suites that use their classes.
    app->ExitInstance();
    app.reset();
  }

  std::string SuitesFolder() const { return folder.File("suites"); }
  CTestSuitesTree* SuitesTree() const { return frame->GetAvailableTestsWnd()->SuitesTree(); }
  CTestCasesTree* TestsTree() const { return frame->GetAvailableTestsWnd()->TestCasesTree(); }
  std::string LogText() const { return frame->GetLogWindow()->toPlainText().toStdString(); }

  // A suite file in the suites folder, its test cases of the given component.
  std::string WriteSuite(const std::string& file, const std::string& name,
                         const std::string& component, std::initializer_list<const char*> labels)
  {
    CTestSuite suite;
    suite.m_strName = name;
    suite.m_strComponent = component;
    for (const char* label : labels)
      suite.push_back(testsupport::MakeCase(component, label));
    const std::string path = SuitesFolder() + "/" + file;
    std::string error;
    EXPECT_TRUE(WriteSuiteFile(suite, path, error)) << error;
    return path;
  }

  // Opens a suite file in a window and returns the window.
  CHalvexView* Open(const std::string& path)
  {
    EXPECT_TRUE(app->OpenDocumentFile(path));
    const QList<CHalvexView*> windows = frame->SuiteWindows();
    return windows.isEmpty() ? nullptr : windows.back();
  }

  // The item whose texts, from the root down, are `path`; null when there is none.
  static QTreeWidgetItem* Find(QTreeWidget* tree, std::initializer_list<const char*> path)
  {
    QTreeWidgetItem* found = nullptr;
    for (const char* text : path) {
      const int count = found ? found->childCount() : tree->topLevelItemCount();
      QTreeWidgetItem* next = nullptr;
      for (int i = 0; i < count && next == nullptr; ++i) {
        QTreeWidgetItem* item = found ? found->child(i) : tree->topLevelItem(i);
        if (item->text(0) == QString::fromUtf8(text))
          next = item;
      }
      if (next == nullptr)
        return nullptr;
      found = next;
    }
    return found;
  }

  static std::vector<std::string> Labels(CHalvexView* view)
  {
    std::vector<std::string> labels;
    for (const CTestCase* p : view->Document().m_suite)
      labels.push_back(p->GetLabel());
    return labels;
  }

  static std::vector<std::string> Rows(CHalvexView* view)
  {
    std::vector<std::string> rows;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
      rows.push_back(view->topLevelItem(i)->text(0).toStdString());
    return rows;
  }

  // A point over `row` of the view, or below its last row.
  static QPoint PointAt(CHalvexView* view, int row)
  {
    if (row < view->topLevelItemCount())
      return view->visualItemRect(view->topLevelItem(row)).center();
    return QPoint(10, view->viewport()->height() - 3);
  }

  // The events a real drop delivers to the view's viewport: a move over the row, then the drop.
  // Returns the row the move highlighted. Takes the data.
  static int DropOn(CHalvexView* view, QMimeData* data, int row,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    QCoreApplication::processEvents();
    const QPointF point = PointAt(view, row);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point.toPoint(), actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(point.toPoint(), actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(view->viewport(), &move);
    const int highlighted = view->DropTarget()->DropRow();
    QDropEvent drop(point, actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(view->viewport(), &drop);
    delete data;
    return highlighted;
  }

  testsupport::TempFolder folder;
  std::unique_ptr<testsupport::PrivateRegistry> registry;
  std::unique_ptr<CHalvexApp> app;
  CMainFrame* frame = nullptr;
};

} // namespace harness::test
