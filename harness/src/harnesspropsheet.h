// The harness properties sheet: the General, Log and Reporting pages over the values of
// harness/harnessproperties.h. No Apply button: the values go back on OK only.
#pragma once

#include "harness/harnessproperties.h"

#include <QDialog>
#include <functional>

class QTabWidget;

namespace harness {

class CHarnessGeneralPage;
class CHarnessLogPage;
class CHarnessReportingPage;

class CHarnessPropSheet : public QDialog
{
  Q_OBJECT

public:
  // ntLogAvailable and onNtLogOptions serve the General page's NTLog controls.
  CHarnessPropSheet(const StringTable& strings, const CHarnessSettings& settings,
                    const HarnessProperties& values, std::function<bool()> ntLogAvailable,
                    std::function<void()> onNtLogOptions, QWidget* parent = nullptr);

  // The values as the pages hold them now.
  HarnessProperties Values() const;

  QTabWidget* Tabs() const { return m_pTabs; }
  CHarnessGeneralPage* GeneralPage() const { return m_pGeneral; }
  CHarnessLogPage* LogPage() const { return m_pLog; }
  CHarnessReportingPage* ReportingPage() const { return m_pReporting; }

private:
  HarnessProperties m_values;
  QTabWidget* m_pTabs;
  CHarnessGeneralPage* m_pGeneral;
  CHarnessLogPage* m_pLog;
  CHarnessReportingPage* m_pReporting;
};

} // namespace harness
