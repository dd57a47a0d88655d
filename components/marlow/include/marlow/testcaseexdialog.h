// The read-only "TestcaseEx Configuration" dialog of a test case: its definition's values and
// the version of its test program, with an OK button only.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

struct TestcaseExSettings
{
  std::string strIniFileName;
  std::string strTestCaseName;
  std::string strReturnType;
  std::string strCmdLine;
  std::string strLogFile;
  std::string strVersion;
};

class CTestcaseExDialog : public QDialog
{
public:
  explicit CTestcaseExDialog(const TestcaseExSettings& settings, QWidget* parent = nullptr);

  // The values as the dialog holds them.
  TestcaseExSettings Settings() const;

  // "<name> Configuration".
  static std::string Title(const std::string& testCaseName);

private:
  std::string m_strTestCaseName;
  QLineEdit* m_pIniFile = nullptr;
  QLineEdit* m_pReturnType = nullptr;
  QLineEdit* m_pCmdLine = nullptr;
  QLineEdit* m_pLogFile = nullptr;
  QLineEdit* m_pVersion = nullptr;
};
