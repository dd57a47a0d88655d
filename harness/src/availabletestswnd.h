// The left bar: a tab window with the suites tree and the available-tests pane.
#pragma once

#include "harness/commands.h"
#include "harness/stringtable.h"

#include <QDockWidget>

class QTabWidget;
class QTreeWidget;

namespace harness {

class CAvailableTestsWnd : public QDockWidget
{
  Q_OBJECT

public:
  CAvailableTestsWnd(const StringTable& strings, QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return m_pTabs; }
  QTreeWidget* SuitesTree() const { return m_pSuites; }
  QTreeWidget* TestCasesTree() const { return m_pTestCases; }

  cmd::LeftTab ActiveTab() const;
  // What the selected item of the active tab's tree holds.
  cmd::TreeItem SelectedItem() const;

  // Item data role that marks what a tree item holds (a cmd::TreeItem value).
  static constexpr int kItemKindRole = 0x0100 + 1;

private:
  QTabWidget* m_pTabs;
  QTreeWidget* m_pSuites;
  QTreeWidget* m_pTestCases;
};

} // namespace harness
