// The output bar.
#include "messageswnd.h"

#include "harness/commands.h"
#include "harness/stringids.h"
#include "limitededit.h"

#include <QAction>
#include <QTabWidget>

namespace harness {

CMessagesWnd::CMessagesWnd(const StringTable& strings, QWidget* parent)
    : QDockWidget(QString::fromStdString(strings.Get(ids::kOutputBarTitle)), parent)
{
  setObjectName(QStringLiteral("CMessagesWnd"));
  m_pTabs = new QTabWidget(this);
  m_pTabs->setTabPosition(QTabWidget::South);
  m_pResults = new CLimitedEdit(kResultsChildId, kOutputTextLimit, m_pTabs);
  m_pLog = new CLimitedEdit(kLogChildId, kOutputTextLimit, m_pTabs);
  m_pTabs->addTab(m_pResults, QString::fromStdString(strings.Get(ids::kResultsTab)));
  m_pTabs->addTab(m_pLog, QString::fromStdString(strings.Get(ids::kLogTab)));
  m_pTabs->setCurrentIndex(0);
  m_pClear = new QAction(QString::fromStdString(strings.Get(ids::kClearTab)), this);
  m_pClear->setData(cmd::kClearActiveTab);
  connect(m_pClear, &QAction::triggered, this, &CMessagesWnd::ClearActiveTab);
  m_pResults->AddContextAction(m_pClear);
  m_pLog->AddContextAction(m_pClear);
  setWidget(m_pTabs);
}

void CMessagesWnd::ClearActiveTab()
{
  if (auto* edit = qobject_cast<CLimitedEdit*>(m_pTabs->currentWidget()))
    edit->ClearText();
}

} // namespace harness
