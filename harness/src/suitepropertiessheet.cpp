// The suite properties sheet.
#include "suitepropertiessheet.h"

#include "harness/prompts.h"
#include "harness/stringids.h"
#include "harness/stringtable.h"
#include "propertypagewidgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTabWidget>

namespace harness {

namespace {

QString Q(const std::string& text)
{
  return QString::fromStdString(text);
}

} // namespace

CTestSuitePropertiesPage::CTestSuitePropertiesPage(const StringTable& strings, QWidget* parent)
    : QWidget(parent), m_pComponent(new QComboBox(this)), m_pPath(new QLineEdit(this)),
      m_pName(new QLineEdit(this)), m_pExisting(new QLineEdit(this))
{
  setObjectName(QStringLiteral("CTestSuitePropertiesPage"));
  // The control numbers of the page's layout name the controls.
  m_pComponent->setObjectName(QStringLiteral("1034"));
  m_pPath->setObjectName(QStringLiteral("1032"));
  m_pName->setObjectName(QStringLiteral("1031"));
  m_pExisting->setObjectName(QStringLiteral("1046"));
  m_pComponent->setEditable(true);
  m_pComponent->setInsertPolicy(QComboBox::NoInsert);
  m_pComponent->lineEdit()->setMaxLength(static_cast<int>(kComponentTextMax));
  m_pPath->setMaxLength(static_cast<int>(kSuitePathMax));
  m_pName->setMaxLength(static_cast<int>(kSuiteNameMax));
  m_pExisting->setReadOnly(true);

  auto* form = new QFormLayout(this);
  form->addRow(UiText(strings, ids::kSuitePropertiesComponent), m_pComponent);
  form->addRow(UiText(strings, ids::kSuitePropertiesPath), m_pPath);
  form->addRow(UiText(strings, ids::kSuitePropertiesName), m_pName);
  form->addRow(UiText(strings, ids::kSuitePropertiesExisting), m_pExisting);
}

void CTestSuitePropertiesPage::Load(const SuitePropertiesValues& values)
{
  m_values = values;
  m_pComponent->clear();
  for (const std::string& name : values.componentChoices)
    m_pComponent->addItem(Q(name));
  // A text that names no loaded component (several components) stays as the typed text.
  m_pComponent->setCurrentIndex(m_pComponent->findText(Q(values.component), Qt::MatchExactly));
  m_pComponent->setEditText(Q(values.component));
  m_pPath->setText(Q(values.path));
  m_pName->setText(Q(values.name));
  m_pExisting->setText(QString::number(values.existingSuite));
  m_pComponent->setEnabled(values.ComponentEditable());
  m_pName->setReadOnly(!values.NameEditable());
}

SuitePropertiesValues CTestSuitePropertiesPage::Values() const
{
  SuitePropertiesValues values = m_values;
  values.component = m_pComponent->currentText().toStdString();
  values.path = m_pPath->text().toStdString();
  values.name = m_pName->text().toStdString();
  return values;
}

CTestSuitePropertiesSheet::CTestSuitePropertiesSheet(const StringTable& strings,
                                                     const SuitePropertiesValues& values,
                                                     QWidget* parent)
    : QDialog(parent), m_pPage(new CTestSuitePropertiesPage(strings))
{
  setObjectName(QStringLiteral("CTestSuitePropertiesSheet"));
  setWindowTitle(UiText(strings, ids::kSuitePropertiesTitle));
  auto* tabs = new QTabWidget(this);
  tabs->addTab(m_pPage, UiText(strings, ids::kSuitePropertiesTitle));
  LayOutWithOkCancel(this, tabs);
  m_pPage->Load(values);
}

int ShowSuiteProperties(CTestSuite& suite, int mode, const StringTable& strings, QWidget* parent)
{
  SuitePropertiesValues values;
  if (!PrepareSuiteProperties(suite, mode, strings.Get(ids::kSeveralComponents), values))
    return kSuitePropertiesUnchanged;
  if (IsUnattended())
    return kSuitePropertiesUnchanged;
  CTestSuitePropertiesSheet sheet(strings, values, parent);
  if (sheet.exec() != QDialog::Accepted)
    return kSuitePropertiesUnchanged;
  ApplySuiteProperties(sheet.Page()->Values(), suite);
  return kSuitePropertiesChanged;
}

} // namespace harness
