// The General page of the harness properties: the results file, the suites folder, a note for
// the session, appending to the results file, and NTLog.
#pragma once

#include "harness/harnessproperties.h"

#include <QWidget>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace harness {

class CHarnessGeneralPage : public QWidget
{
  Q_OBJECT

public:
  struct Defaults
  {
    std::string resultsFilePath;
    std::string testSuitesFolder;
  };
  // ntLogAvailable is asked each time the page is shown; onNtLogOptions runs the options
  // button.
  CHarnessGeneralPage(const StringTable& strings, Defaults defaults,
                      std::function<bool()> ntLogAvailable, std::function<void()> onNtLogOptions,
                      QWidget* parent = nullptr);

  void Load(const HarnessProperties& values);
  void Store(HarnessProperties& values) const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  Defaults m_defaults;
  std::function<bool()> m_ntLogAvailable;
  QLineEdit* m_pResultsFile;
  QLineEdit* m_pSuitesFolder;
  QLineEdit* m_pNote;
  QButtonGroup* m_pAppend;
  QGroupBox* m_pNtLogGroup;
  QCheckBox* m_pNtLogEnable;
  QPushButton* m_pNtLogOptions;
};

} // namespace harness
