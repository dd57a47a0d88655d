// The model sheet's general page.
#include "skeleton/modelgeneralpage.h"

#include <QFormLayout>
#include <QLineEdit>

CModelGeneralPage::CModelGeneralPage(const components::ModelSheetLayout& layout, QWidget* parent)
    : QWidget(parent)
{
  setObjectName(QStringLiteral("CModelGeneralPage"));
  setWindowTitle(QString::fromLatin1(components::kModelGeneralPageTitle));
  auto* form = new QFormLayout(this);
  for (const components::ModelFieldSpec& entry : layout.GeneralFields()) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(entry.label).chopped(1));
    edit->setMaxLength(entry.maxLength);
    edit->setReadOnly(!entry.editable);
    form->addRow(QString::fromLatin1(entry.label), edit);
    m_edits[entry.field] = edit;
  }
}

void CModelGeneralPage::SetValues(const components::ModelPageValues& values)
{
  for (const auto& [field, edit] : m_edits)
    edit->setText(QString::fromStdString(values.Field(field)));
}

components::ModelPageValues CModelGeneralPage::Values() const
{
  components::ModelPageValues values;
  for (const auto& [field, edit] : m_edits)
    values.Field(field) = edit->text().toStdString();
  return values;
}

QLineEdit* CModelGeneralPage::Edit(components::ModelField field) const
{
  const auto found = m_edits.find(field);
  return found == m_edits.end() ? nullptr : found->second;
}
