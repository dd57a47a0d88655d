// The left bar: a tab window with the suites tree (tab 0) and the available-tests pane with the
// test cases tree (tab 1).
#pragma once

#include "harness/commands.h"

#include <QDockWidget>

class QTabWidget;

namespace harness {

class CAvailableTree;
class CHalvexApp;
class CTestCasesTree;
class CTestSuitesTree;

class CAvailableTestsWnd : public QDockWidget
{
  Q_OBJECT

public:
  explicit CAvailableTestsWnd(CHalvexApp& app, QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return m_pTabs; }
  CTestSuitesTree* SuitesTree() const { return m_pSuites; }
  CTestCasesTree* TestCasesTree() const { return m_pTestCases; }

  cmd::LeftTab ActiveTab() const;
  // The tree of the active tab, or null.
  CAvailableTree* ActiveTree() const;
  // What the selected item of the active tab's tree holds.
  cmd::TreeItem SelectedItem() const;

private:
  QTabWidget* m_pTabs;
  CTestSuitesTree* m_pSuites;
  CTestCasesTree* m_pTestCases;
};

} // namespace harness
