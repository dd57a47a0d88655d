// The Log page.
#include "harnesslogpage.h"

#include "harness/stringids.h"
#include "propertypagewidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace harness {

namespace {

constexpr int kLogFileEdit = 1010;
constexpr int kLogDefaultButton = 1018;
constexpr int kLevelCombo = 1007;
constexpr int kDestinationGroup = 1028;
constexpr int kAppendGroup = 1043;
constexpr int kDateTimeGroup = 1045;
constexpr int kSuspectFilesBox = 1061;

QStringList Texts(const StringTable& strings, int first, int count)
{
  QStringList texts;
  for (int i = 0; i < count; ++i)
    texts << UiText(strings, first + i);
  return texts;
}

} // namespace

CHarnessLogPage::CHarnessLogPage(const StringTable& strings, const std::string& defaultLogFilePath,
                                 QWidget* parent)
    : QWidget(parent)
{
  setObjectName(QStringLiteral("CHarnessLogPage"));
  auto* form = new QFormLayout;
  form->addRow(UiText(strings, ids::kLogFileLabel),
               PathRow(this, kLogFileEdit, 0, kLogDefaultButton,
                       UiText(strings, ids::kDefaultButton),
                       QString::fromStdString(defaultLogFilePath), m_pLogFile));
  m_pLevel = new QComboBox(this);
  m_pLevel->setObjectName(ControlName(kLevelCombo));
  m_pLevel->setEditable(true);
  m_pLevel->setInsertPolicy(QComboBox::NoInsert);
  m_pLevel->lineEdit()->setMaxLength(static_cast<int>(kPropertiesTextMax));
  for (const std::string& choice : LoggingLevelChoices(strings))
    m_pLevel->addItem(QString::fromStdString(choice));
  form->addRow(UiText(strings, ids::kLoggingLevelLabel), m_pLevel);

  QGroupBox* destination =
      RadioGroup(this, kDestinationGroup, UiText(strings, ids::kLogDestinationGroup),
                 Texts(strings, ids::kLogDestinationGroup + 1, 3), m_pDestination);
  QGroupBox* append = RadioGroup(this, kAppendGroup, UiText(strings, ids::kLogAppendGroup),
                                 Texts(strings, ids::kLogAppendGroup + 1, 2), m_pAppend);
  QGroupBox* dateTime = RadioGroup(this, kDateTimeGroup, UiText(strings, ids::kLogDateTimeGroup),
                                   Texts(strings, ids::kLogDateTimeGroup + 1, 2), m_pDateTime);
  m_pSuspectFiles = new QCheckBox(UiText(strings, ids::kSuspectFilesLabel), this);
  m_pSuspectFiles->setObjectName(ControlName(kSuspectFilesBox));

  auto* groups = new QHBoxLayout;
  groups->addWidget(append);
  groups->addWidget(dateTime);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(destination);
  layout->addLayout(groups);
  layout->addWidget(m_pSuspectFiles);
  layout->addStretch();
}

void CHarnessLogPage::Load(const HarnessProperties& values)
{
  m_pLogFile->setText(QString::fromStdString(values.logFilePath));
  m_pLevel->setCurrentIndex(m_pLevel->findText(QString::fromStdString(values.loggingLevelText)));
  m_pLevel->setEditText(QString::fromStdString(values.loggingLevelText));
  CheckIndex(m_pDestination, values.logDestination);
  CheckIndex(m_pAppend, values.appendToLogFile);
  CheckIndex(m_pDateTime, values.logDateTime);
  m_pSuspectFiles->setChecked(values.suspectFiles);
}

void CHarnessLogPage::Store(HarnessProperties& values) const
{
  values.logFilePath = m_pLogFile->text().toStdString();
  values.loggingLevelText = m_pLevel->currentText().toStdString();
  values.logDestination = CheckedIndex(m_pDestination);
  values.appendToLogFile = CheckedIndex(m_pAppend);
  values.logDateTime = CheckedIndex(m_pDateTime);
  values.suspectFiles = m_pSuspectFiles->isChecked();
}

} // namespace harness
