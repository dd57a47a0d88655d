// The General page.
#include "harnessgeneralpage.h"

#include "harness/stringids.h"
#include "propertypagewidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace harness {

namespace {

constexpr int kResultsFileEdit = 1005;
constexpr int kResultsDefaultButton = 1014;
constexpr int kSuitesFolderEdit = 1012;
constexpr int kSuitesDefaultButton = 1019;
constexpr int kNoteEdit = 1001;
constexpr int kAppendGroup = 1049;
constexpr int kNtLogGroup = 1063;
constexpr int kNtLogEnableBox = 1052;
constexpr int kNtLogOptionsButton = 1015;

} // namespace

CHarnessGeneralPage::CHarnessGeneralPage(const StringTable& strings, Defaults defaults,
                                         std::function<bool()> ntLogAvailable,
                                         std::function<void()> onNtLogOptions, QWidget* parent)
    : QWidget(parent), m_defaults(std::move(defaults)), m_ntLogAvailable(std::move(ntLogAvailable))
{
  setObjectName(QStringLiteral("CHarnessGeneralPage"));
  const QString defaultText = UiText(strings, ids::kDefaultButton);
  const int limit = static_cast<int>(kPropertiesTextMax);
  auto* form = new QFormLayout;
  form->addRow(UiText(strings, ids::kResultsFileLabel),
               PathRow(this, kResultsFileEdit, limit, kResultsDefaultButton, defaultText,
                       QString::fromStdString(m_defaults.resultsFilePath), m_pResultsFile));
  form->addRow(UiText(strings, ids::kSuitesFolderLabel),
               PathRow(this, kSuitesFolderEdit, limit, kSuitesDefaultButton, defaultText,
                       QString::fromStdString(m_defaults.testSuitesFolder), m_pSuitesFolder));
  m_pNote = new QLineEdit(this);
  m_pNote->setObjectName(ControlName(kNoteEdit));
  form->addRow(UiText(strings, ids::kNoteLabel), m_pNote);

  QGroupBox* append = RadioGroup(
      this, kAppendGroup, UiText(strings, ids::kResultsAppendGroup),
      {UiText(strings, ids::kResultsNewFile), UiText(strings, ids::kResultsAppend)}, m_pAppend);

  // Usable only with NTLog; disabled until the page is shown and finds it.
  m_pNtLogGroup = new QGroupBox(UiText(strings, ids::kNtLogGroup), this);
  m_pNtLogGroup->setObjectName(ControlName(kNtLogGroup));
  m_pNtLogEnable = new QCheckBox(UiText(strings, ids::kNtLoggingEnable), m_pNtLogGroup);
  m_pNtLogEnable->setObjectName(ControlName(kNtLogEnableBox));
  m_pNtLogOptions = new QPushButton(UiText(strings, ids::kNtLogOptions), m_pNtLogGroup);
  m_pNtLogOptions->setObjectName(ControlName(kNtLogOptionsButton));
  m_pNtLogOptions->setAutoDefault(false);
  connect(m_pNtLogOptions, &QPushButton::clicked, this,
          [onNtLogOptions = std::move(onNtLogOptions)] {
            if (onNtLogOptions)
              onNtLogOptions();
          });
  auto* ntlog = new QHBoxLayout(m_pNtLogGroup);
  ntlog->addWidget(m_pNtLogEnable, 1);
  ntlog->addWidget(m_pNtLogOptions);
  for (QWidget* control :
       std::initializer_list<QWidget*>{m_pNtLogGroup, m_pNtLogEnable, m_pNtLogOptions})
    control->setEnabled(false);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(append);
  layout->addWidget(m_pNtLogGroup);
  layout->addStretch();
}

void CHarnessGeneralPage::showEvent(QShowEvent* event)
{
  if (m_ntLogAvailable && m_ntLogAvailable())
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_pNtLogGroup, m_pNtLogEnable, m_pNtLogOptions})
      control->setEnabled(true);
  QWidget::showEvent(event);
}

void CHarnessGeneralPage::Load(const HarnessProperties& values)
{
  m_pResultsFile->setText(QString::fromStdString(values.resultsFilePath));
  m_pSuitesFolder->setText(QString::fromStdString(values.testSuitesFolder));
  m_pNote->setText(QString::fromStdString(values.note));
  CheckIndex(m_pAppend, values.appendToResultsFile);
  m_pNtLogEnable->setChecked(values.ntLoggingEnable);
}

void CHarnessGeneralPage::Store(HarnessProperties& values) const
{
  values.resultsFilePath = m_pResultsFile->text().toStdString();
  values.testSuitesFolder = m_pSuitesFolder->text().toStdString();
  values.note = m_pNote->text().toStdString();
  values.appendToResultsFile = CheckedIndex(m_pAppend);
  values.ntLoggingEnable = m_pNtLogEnable->isChecked();
}

} // namespace harness
