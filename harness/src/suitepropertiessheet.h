// The suite properties sheet: one page with the component text, the file path, the name and
// the existing-suite flag. It shows and forwards; suiteproperties.h holds the rules.
#pragma once

#include "harness/suiteproperties.h"

#include <QDialog>
#include <QWidget>

class QComboBox;
class QLineEdit;

namespace harness {

class StringTable;

class CTestSuitePropertiesPage : public QWidget
{
  Q_OBJECT

public:
  CTestSuitePropertiesPage(const StringTable& strings, QWidget* parent = nullptr);

  void Load(const SuitePropertiesValues& values);
  SuitePropertiesValues Values() const;

  QComboBox* ComponentBox() const { return m_pComponent; }
  QLineEdit* PathEdit() const { return m_pPath; }
  QLineEdit* NameEdit() const { return m_pName; }
  QLineEdit* ExistingEdit() const { return m_pExisting; }

private:
  QComboBox* m_pComponent;
  QLineEdit* m_pPath;
  QLineEdit* m_pName;
  QLineEdit* m_pExisting;
  SuitePropertiesValues m_values;
};

// No Apply button: the values go back on OK only.
class CTestSuitePropertiesSheet : public QDialog
{
  Q_OBJECT

public:
  CTestSuitePropertiesSheet(const StringTable& strings, const SuitePropertiesValues& values,
                            QWidget* parent = nullptr);
  CTestSuitePropertiesPage* Page() const { return m_pPage; }

private:
  CTestSuitePropertiesPage* m_pPage;
};

// Shows the sheet for the suite; kSuitePropertiesChanged when OK was pressed and the suite
// took the values, kSuitePropertiesUnchanged otherwise (also for a new suite without test
// cases, and without a display to ask on).
int ShowSuiteProperties(CTestSuite& suite, int mode, const StringTable& strings,
                        QWidget* parent = nullptr);

} // namespace harness
