// The harness properties sheet.
#include "harnesspropsheet.h"

#include "harness/stringids.h"
#include "harnessgeneralpage.h"
#include "harnesslogpage.h"
#include "harnessreportingpage.h"
#include "propertypagewidgets.h"

#include <QTabWidget>

namespace harness {

CHarnessPropSheet::CHarnessPropSheet(const StringTable& strings, const CHarnessSettings& settings,
                                     const HarnessProperties& values,
                                     std::function<bool()> ntLogAvailable,
                                     std::function<void()> onNtLogOptions, QWidget* parent)
    : QDialog(parent), m_values(values)
{
  setObjectName(QStringLiteral("CHarnessPropSheet"));
  setWindowTitle(UiText(strings, ids::kHarnessPropertiesTitle));
  m_pTabs = new QTabWidget(this);
  m_pGeneral =
      new CHarnessGeneralPage(strings,
                              {DefaultResultsFilePath(settings),
                               DefaultTestSuitesFolder(settings.m_strInstallationFolder, strings)},
                              std::move(ntLogAvailable), std::move(onNtLogOptions));
  m_pLog = new CHarnessLogPage(strings, DefaultLogFilePath(settings));
  m_pReporting = new CHarnessReportingPage(strings);
  m_pTabs->addTab(m_pGeneral, UiText(strings, ids::kGeneralPageTitle));
  m_pTabs->addTab(m_pLog, UiText(strings, ids::kLogPageTitle));
  m_pTabs->addTab(m_pReporting, UiText(strings, ids::kReportingPageTitle));
  m_pGeneral->Load(values);
  m_pLog->Load(values);
  m_pReporting->Load(values);

  LayOutWithOkCancel(this, m_pTabs);
}

HarnessProperties CHarnessPropSheet::Values() const
{
  HarnessProperties values = m_values;
  m_pGeneral->Store(values);
  m_pLog->Store(values);
  m_pReporting->Store(values);
  return values;
}

} // namespace harness
