// The model selection dialog.
#include "modelselectiondialog.h"

#include "halvexapp.h"
#include "harness/stringids.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace harness {

namespace {

QString Text(const StringTable& strings, int id)
{
  return QString::fromStdString(strings.Get(id));
}

} // namespace

CModelSelectionDialog::CModelSelectionDialog(CHalvexApp& app, CComponentLoader& loader,
                                             const std::string& className, QWidget* parent)
    : QDialog(parent),
      m_selection(
          loader, app.Strings(), app.Prompts(),
          [&app](unsigned int level, const std::string& text) { app.Log(level, text); }, className,
          app.PlinthStrings().Get(ids::kDefaultModelName))
{
  setObjectName(QStringLiteral("ModelSelectionDialog"));
  setWindowTitle(Text(app.Strings(), ids::kModelSelection));
  m_pClassName = new QLineEdit(QString::fromStdString(className), this);
  m_pClassName->setObjectName(QStringLiteral("ClassName"));
  m_pClassName->setReadOnly(true);
  m_pList = new QListWidget(this);
  m_pList->setObjectName(QStringLiteral("Models"));
  m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pNewModel = new QPushButton(Text(app.Strings(), ids::kNewModelButton), this);
  m_pNewModel->setObjectName(QStringLiteral("NewModel"));
  m_pNewModel->setAutoDefault(false);
  connect(m_pNewModel, &QPushButton::clicked, this, &CModelSelectionDialog::OnNewModel);

  auto* form = new QFormLayout;
  form->addRow(Text(app.Strings(), ids::kModelSelectionComponent), m_pClassName);
  form->addRow(Text(app.Strings(), ids::kModelSelectionModels), m_pList);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->addButton(m_pNewModel, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CModelSelectionDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  Fill();
}

void CModelSelectionDialog::Fill()
{
  if (const auto models = m_selection.ReadModels()) {
    m_pList->clear();
    for (const std::string& model : *models)
      m_pList->addItem(QString::fromStdString(model));
  }
  SelectCurrentModel();
}

void CModelSelectionDialog::SelectCurrentModel()
{
  std::vector<std::string> models;
  for (int row = 0; row < m_pList->count(); ++row)
    models.push_back(m_pList->item(row)->text().toStdString());
  const int row = m_selection.EntryToSelect(models);
  if (row >= 0)
    m_pList->setCurrentRow(row);
}

void CModelSelectionDialog::OnNewModel()
{
  if (m_selection.NewModel())
    Fill();
  else
    SelectCurrentModel();
}

void CModelSelectionDialog::accept()
{
  const QListWidgetItem* item = m_pList->currentItem();
  const std::string selected =
      item != nullptr && item->isSelected() ? item->text().toStdString() : std::string();
  switch (m_selection.Accept(selected)) {
  case CModelSelection::AcceptResult::Loaded:
    QDialog::accept();
    return;
  case CModelSelection::AcceptResult::LoadFailed:
    SelectCurrentModel();
    return;
  case CModelSelection::AcceptResult::NoSelection:
    return;
  }
}

} // namespace harness
