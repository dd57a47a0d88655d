// The test case's configuration dialog.
#include "marlow/testcaseexdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int kVersionLength = 254;

} // namespace

CTestcaseExDialog::CTestcaseExDialog(const TestcaseExSettings& settings, QWidget* parent)
    : QDialog(parent), m_strTestCaseName(settings.strTestCaseName)
{
  setObjectName(QStringLiteral("TestcaseExConfiguration"));
  setWindowTitle(QString::fromStdString(Title(settings.strTestCaseName)));
  auto* form = new QFormLayout;
  const auto addField = [&](const char* label, const char* name, const std::string& value) {
    auto* edit = new QLineEdit(QString::fromStdString(value), this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
  };
  m_pIniFile = addField("Name of the .ini file:", "IniFile", settings.strIniFileName);
  m_pReturnType = addField("ReturnType:", "ReturnType", settings.strReturnType);
  m_pCmdLine = addField("Execution Path:", "ExecutionPath", settings.strCmdLine);
  m_pLogFile = addField("Log File:", "LogFile", settings.strLogFile);
  m_pVersion = addField("Version:", "Version", settings.strVersion);
  m_pVersion->setMaxLength(kVersionLength);
  m_pVersion->setText(QString::fromStdString(settings.strVersion));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(520, sizeHint().height());
}

TestcaseExSettings CTestcaseExDialog::Settings() const
{
  return {m_pIniFile->text().toStdString(),    m_strTestCaseName,
          m_pReturnType->text().toStdString(), m_pCmdLine->text().toStdString(),
          m_pLogFile->text().toStdString(),    m_pVersion->text().toStdString()};
}

std::string CTestcaseExDialog::Title(const std::string& testCaseName)
{
  return testCaseName + " Configuration";
}
