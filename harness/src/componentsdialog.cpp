// The components dialog.
#include "componentsdialog.h"

#include "halvexapp.h"
#include "harness/prompts.h"
#include "harness/stringids.h"
#include "mainframe.h"
#include "modelselectiondialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace harness {

namespace {

QString Text(const CHalvexApp& app, int id)
{
  return QString::fromStdString(app.Strings().Get(id));
}

} // namespace

CComponentsDialog::CComponentsDialog(CHalvexApp& app, CMainFrame& frame,
                                     harness::CComponentLoader& loader)
    : QDialog(&frame), m_app(app), m_frame(frame), m_loader(loader), m_model(loader)
{
  setObjectName(QStringLiteral("ComponentsDialog"));
  setWindowTitle(Text(app, ids::kComponentsTitle));
  m_pList = new QTreeWidget(this);
  m_pList->setRootIsDecorated(false);
  m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pList->setHeaderLabels(
      {Text(app, ids::kComponentsColumnComponent), Text(app, ids::kComponentsColumnModel)});
  m_pList->setColumnWidth(0, kColumnWidth);
  m_pList->setColumnWidth(1, kColumnWidth);

  auto* buttons = new QVBoxLayout;
  struct ButtonEntry
  {
    int text;
    const char* name;
    void (CComponentsDialog::*handler)();
  };
  const ButtonEntry entries[] = {
      {ids::kComponentButtonAdd, "Add", &CComponentsDialog::OnAdd},
      {ids::kComponentButtonRemove, "Remove", &CComponentsDialog::OnRemove},
      {ids::kComponentButtonConfigure, "Configure", &CComponentsDialog::OnConfigure},
      {ids::kComponentButtonModel, "Model", &CComponentsDialog::OnModel}};
  for (const ButtonEntry& entry : entries) {
    auto* button = new QPushButton(Text(app, entry.text), this);
    button->setObjectName(QString::fromLatin1(entry.name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, entry.handler);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  m_pOk = new QPushButton(QStringLiteral("OK"), this);
  m_pOk->setObjectName(QStringLiteral("OK"));
  m_pOk->setDefault(true);
  connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(m_pOk);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_pList, 1);
  layout->addLayout(buttons);
  resize(2 * kColumnWidth + 160, 300);
  Fill();
}

void CComponentsDialog::Fill()
{
  m_pList->clear();
  for (const ComponentRow& row : m_model.Rows())
    new QTreeWidgetItem(
        m_pList, {QString::fromStdString(row.className), QString::fromStdString(row.currentModel)});
  if (m_pList->topLevelItemCount() == 1) {
    m_pList->setCurrentItem(m_pList->topLevelItem(0));
    m_pOk->setFocus();
  }
}

void CComponentsDialog::OnAdd()
{
  if (m_frame.AddComponent())
    Fill();
}

void CComponentsDialog::OnRemove()
{
  // Modules stay loaded until the harness ends; the button only says so.
  m_app.Prompts().Show(m_app.Strings().Get(ids::kRemoveComponentBox), BoxIcon::Information);
}

std::string CComponentsDialog::SelectedClass()
{
  QTreeWidgetItem* item = m_pList->currentItem();
  if (item != nullptr && item->isSelected())
    return item->text(0).toStdString();
  QApplication::beep();
  m_app.Prompts().Show(m_app.Strings().Get(ids::kSelectComponentFirst), BoxIcon::Warning);
  return {};
}

void CComponentsDialog::OnConfigure()
{
  const std::string className = SelectedClass();
  if (className.empty())
    return;
  if (m_model.Configure(className) == CComponentsModel::ConfigureResult::ModelChanged)
    Fill();
}

void CComponentsDialog::OnModel()
{
  const std::string className = SelectedClass();
  if (className.empty())
    return;
  // Read before the dialog can change it, so Cancel undoes whatever happened inside.
  const std::string before = m_model.ModelBeforeSelection(className);
  CModelSelectionDialog dialog(m_app, m_loader, className, this);
  if (dialog.exec() == QDialog::Accepted)
    Fill();
  else
    m_model.UndoModelSelection(className, before);
}

} // namespace harness
