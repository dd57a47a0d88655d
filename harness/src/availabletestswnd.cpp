// The workspace bar; its trees are filled by the tree views built on it.
#include "availabletestswnd.h"

#include "harness/stringids.h"

#include <QTabWidget>
#include <QTreeWidget>

namespace harness {

CAvailableTestsWnd::CAvailableTestsWnd(const StringTable& strings, QWidget* parent)
    : QDockWidget(QString::fromStdString(strings.Get(ids::kAvailableTestsTitle)), parent)
{
  setObjectName(QStringLiteral("CAvailableTestsWnd"));
  m_pTabs = new QTabWidget(this);
  m_pTabs->setTabPosition(QTabWidget::South);
  m_pSuites = new QTreeWidget(m_pTabs);
  m_pSuites->setHeaderHidden(true);
  m_pSuites->setObjectName(QStringLiteral("SuitesTree"));
  m_pTestCases = new QTreeWidget(m_pTabs);
  m_pTestCases->setHeaderHidden(true);
  m_pTestCases->setObjectName(QStringLiteral("TestCasesTree"));
  m_pTabs->addTab(m_pSuites, QString::fromStdString(strings.Get(ids::kSuitesTab)));
  m_pTabs->addTab(m_pTestCases, QString::fromStdString(strings.Get(ids::kTestsTab)));
  setWidget(m_pTabs);
}

cmd::LeftTab CAvailableTestsWnd::ActiveTab() const
{
  switch (m_pTabs->currentIndex()) {
  case 0:
    return cmd::LeftTab::Suites;
  case 1:
    return cmd::LeftTab::AvailableTests;
  default:
    return cmd::LeftTab::None;
  }
}

cmd::TreeItem CAvailableTestsWnd::SelectedItem() const
{
  auto* tree = qobject_cast<QTreeWidget*>(m_pTabs->currentWidget());
  if (tree == nullptr || tree->currentItem() == nullptr)
    return cmd::TreeItem::None;
  bool ok = false;
  int kind = tree->currentItem()->data(0, kItemKindRole).toInt(&ok);
  return ok ? static_cast<cmd::TreeItem>(kind) : cmd::TreeItem::Other;
}

} // namespace harness
