// The left bar with the two trees.
#include "availabletestswnd.h"

#include "halvexapp.h"
#include "harness/stringids.h"
#include "harness/treecontent.h"
#include "testcasestree.h"
#include "testsuitestree.h"

#include <QTabWidget>

namespace harness {

CAvailableTestsWnd::CAvailableTestsWnd(CHalvexApp& app, QWidget* parent)
    : QDockWidget(QString::fromStdString(app.Strings().Get(ids::kAvailableTestsTitle)), parent)
{
  setObjectName(QStringLiteral("CAvailableTestsWnd"));
  m_pTabs = new QTabWidget(this);
  m_pTabs->setTabPosition(QTabWidget::South);
  m_pSuites = new CTestSuitesTree(app, m_pTabs);
  m_pTestCases = new CTestCasesTree(app, m_pTabs);
  m_pTabs->addTab(m_pSuites, m_pSuites->TreeIcon(kIconSuite),
                  QString::fromStdString(app.Strings().Get(ids::kSuitesTab)));
  m_pTabs->addTab(m_pTestCases, m_pTestCases->TreeIcon(kIconTestCase),
                  QString::fromStdString(app.Strings().Get(ids::kTestsTab)));
  m_pTabs->setCurrentIndex(0);
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

CAvailableTree* CAvailableTestsWnd::ActiveTree() const
{
  switch (ActiveTab()) {
  case cmd::LeftTab::Suites:
    return m_pSuites;
  case cmd::LeftTab::AvailableTests:
    return m_pTestCases;
  default:
    return nullptr;
  }
}

cmd::TreeItem CAvailableTestsWnd::SelectedItem() const
{
  const CAvailableTree* tree = ActiveTree();
  return tree != nullptr ? tree->SelectedKind() : cmd::TreeItem::None;
}

} // namespace harness
