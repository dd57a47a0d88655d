// The suite window.
#include "halvexview.h"

#include "halvexapp.h"
#include "harness/prompts.h"
#include "harness/stateicons.h"
#include "harness/stringids.h"
#include "suitedroptarget.h"
#include "suitepropertiessheet.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>

#include <climits>

namespace harness {

namespace {

constexpr int kPositionRole = Qt::UserRole;
constexpr int kStateIconRole = Qt::UserRole + 1;

harness::DocumentCallbacks MakeCallbacks(CHalvexApp& app, QWidget* window)
{
  harness::DocumentCallbacks callbacks;
  callbacks.log = [&app](unsigned level, const std::string& text) { app.Log(level, text); };
  callbacks.errorBox = [&app](const std::string& text) {
    app.Prompts().Show(text, BoxIcon::Error);
  };
  callbacks.warningBox = [&app](const std::string& text) {
    app.Prompts().Show(text, BoxIcon::Warning);
  };
  // The suite properties sheet in "new" mode.
  callbacks.showSuitePropertiesNew = [&app, window](CTestSuite& suite) {
    return ShowSuiteProperties(suite, kSuitePropertiesNew, app.Strings(), window) ==
           kSuitePropertiesChanged;
  };
  callbacks.askSavePath = [&app, window](const std::string& suggested) {
    if (IsUnattended())
      return std::string();
    const QString start = suggested.empty()
                              ? QString::fromStdString(app.m_settings.m_strTestSuitesFolder)
                              : QString::fromStdString(suggested);
    QString path = QFileDialog::getSaveFileName(window, QStringLiteral("Save test suite"), start,
                                                QStringLiteral("Test suites (*.ts)"));
    if (!path.isEmpty() && !path.endsWith(QStringLiteral(".ts"), Qt::CaseInsensitive))
      path += QStringLiteral(".ts");
    return path.toStdString();
  };
  callbacks.askSaveChanges = [&app](const std::string& title) {
    BoxRequest request;
    request.text = "Save changes to " + title + "?";
    request.icon = BoxIcon::Question;
    request.buttons = BoxButtons::YesNo;
    request.defaultAnswer = BoxAnswer::No;
    // Yes saves, No discards; a box closed without an answer keeps the window.
    switch (app.Prompts().Ask(request)) {
    case BoxAnswer::Yes:
      return harness::SaveChangesAnswer::Yes;
    case BoxAnswer::No:
      return harness::SaveChangesAnswer::No;
    default:
      return harness::SaveChangesAnswer::Cancel;
    }
  };
  callbacks.refreshSuitesTree = [&app] { app.RefreshSuitesTree(); };
  return callbacks;
}

} // namespace

CHalvexView::CHalvexView(CHalvexApp& app, QWidget* parent)
    : QTreeWidget(parent), m_app(app), m_doc(MakeCallbacks(app, this))
{
  setObjectName(QStringLiteral("CHalvexView"));
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setSortingEnabled(false);
  QStringList headers;
  for (int id :
       {ids::kColumnLabel, ids::kColumnIterations, ids::kColumnBaseName, ids::kColumnComponent})
    headers << QString::fromStdString(app.Strings().Get(id));
  setHeaderLabels(headers);
  setIconSize(QSize(kStateIconSize, kStateIconSize));
  for (int resource : kStateIconResources)
    m_stateIcons.push_back(app.HalvexResources().Icon(QStringLiteral("state%1").arg(resource)));
  header()->setSectionsClickable(false);
  for (int column = 0; column < 4; ++column)
    setColumnWidth(column, kColumnWidths[column]);
  connect(this, &QTreeWidget::itemChanged, this, &CHalvexView::OnItemChanged);
  m_pDropTarget = new CSuiteDropTarget(app, *this);
}

std::string CHalvexView::SeveralComponentsText() const
{
  return m_app.Strings().Get(ids::kSeveralComponents);
}

void CHalvexView::NewSuite()
{
  m_doc.OnNewDocument(m_app.Strings().Get(ids::kNewSuiteTitle));
  Refresh();
}

bool CHalvexView::OpenFile(const QString& path)
{
  if (!m_doc.OpenSuiteFile(path.toStdString()))
    return false;
  Refresh();
  return true;
}

bool CHalvexView::Save()
{
  const bool saved = m_doc.OnFileSave(SeveralComponentsText());
  if (saved)
    m_app.AddToRecentFileList(m_doc.GetPathName());
  UpdateTitle();
  return saved;
}

bool CHalvexView::SaveAs()
{
  const bool saved = m_doc.OnFileSaveAs(SeveralComponentsText());
  if (saved)
    m_app.AddToRecentFileList(m_doc.GetPathName());
  UpdateTitle();
  return saved;
}

bool CHalvexView::SaveModified()
{
  const bool go = m_doc.SaveModified(SeveralComponentsText());
  UpdateTitle();
  return go;
}

void CHalvexView::UpdateTitle()
{
  setWindowTitle(QString::fromStdString(m_doc.GetTitle()) +
                 (m_doc.IsModified() ? QStringLiteral(" *") : QString()));
}

void CHalvexView::Refresh()
{
  m_bRefreshing = true;
  clear();
  std::size_t position = 0;
  for (const CTestCase* p : m_doc.m_suite) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(p->GetLabel()));
    item->setText(1, QString::number(p->GetIterations()));
    item->setText(2, QString::fromStdString(p->GetBaseName()));
    item->setText(3, QString::fromStdString(p->GetClassName()));
    item->setData(0, kPositionRole, QVariant::fromValue<qulonglong>(position++));
    item->setData(0, kStateIconRole, static_cast<int>(kIconNotRun));
    item->setIcon(0, m_stateIcons[kIconNotRun]);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  m_bRefreshing = false;
  UpdateTitle();
}

std::vector<std::size_t> CHalvexView::SelectedPositions() const
{
  std::vector<std::size_t> positions;
  for (const QTreeWidgetItem* item : selectedItems())
    positions.push_back(static_cast<std::size_t>(item->data(0, kPositionRole).toULongLong()));
  return positions;
}

void CHalvexView::OnItemChanged(QTreeWidgetItem* item, int column)
{
  if (m_bRefreshing || column != 0)
    return;
  const auto position = static_cast<std::size_t>(item->data(0, kPositionRole).toULongLong());
  const QString label = item->text(0).trimmed();
  // An empty label keeps the old one.
  if (!label.isEmpty())
    m_doc.RenameTestCase(position, label.toStdString());
  Refresh();
}

void CHalvexView::DeleteSelected()
{
  if (m_doc.m_nDocState == harness::kDocStateRunning)
    return;
  m_doc.DeleteTestCases(SelectedPositions());
  Refresh();
}

void CHalvexView::DeleteAll()
{
  if (m_doc.m_nDocState == harness::kDocStateRunning)
    return;
  m_doc.DeleteAllTestCases();
  Refresh();
}

void CHalvexView::SetIterationsOfSelected()
{
  const std::vector<std::size_t> positions = SelectedPositions();
  if (positions.empty() || IsUnattended())
    return;
  const CTestCase* first = m_doc.TestCaseAt(positions.front());
  bool ok = false;
  // The spin box offers 1 to 16959; a larger typed value is accepted too.
  const int iterations = QInputDialog::getInt(
      this, QStringLiteral("Iterations"),
      QStringLiteral("Iterations (1 to %1 or more):").arg(harness::kSpinMaxIterations),
      first ? first->GetIterations() : 1, harness::kMinIterations, INT_MAX, 1, &ok);
  if (!ok)
    return;
  for (std::size_t position : positions)
    m_doc.SetIterations(position, iterations);
  Refresh();
}

bool CHalvexView::SetItemIcon(int row, int image)
{
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || image < 0 || image >= kStateIconCount)
    return false;
  const bool refreshing = m_bRefreshing;
  // Not a label edit: the change handler leaves it alone.
  m_bRefreshing = true;
  item->setData(0, kStateIconRole, image);
  item->setIcon(0, m_stateIcons[image]);
  m_bRefreshing = refreshing;
  return true;
}

int CHalvexView::ItemIcon(int row) const
{
  const QTreeWidgetItem* item = topLevelItem(row);
  return item != nullptr ? item->data(0, kStateIconRole).toInt() : -1;
}

bool CHalvexView::ShowProperties()
{
  if (ShowSuiteProperties(m_doc.m_suite, kSuitePropertiesExisting, m_app.Strings(), this) !=
      kSuitePropertiesChanged)
    return false;
  m_doc.SetModifiedFlag();
  UpdateTitle();
  return true;
}

void CHalvexView::closeEvent(QCloseEvent* event)
{
  if (m_doc.CanCloseFrame(SeveralComponentsText()))
    event->accept();
  else
    event->ignore();
}

void CHalvexView::keyPressEvent(QKeyEvent* event)
{
  if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
    DeleteSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void CHalvexView::contextMenuEvent(QContextMenuEvent* event)
{
  QMenu menu(this);
  const bool running = m_doc.m_nDocState == harness::kDocStateRunning;
  const bool selection = !selectedItems().isEmpty();
  QAction* run = menu.addAction(QStringLiteral("Run All"));
  run->setEnabled(false); // runs come with the suite run
  QAction* runSelected = menu.addAction(QStringLiteral("Run Selected"));
  runSelected->setEnabled(false);
  menu.addSeparator();
  QAction* rename = menu.addAction(QStringLiteral("Rename"), this, [this] {
    if (QTreeWidgetItem* item = currentItem())
      editItem(item, 0);
  });
  rename->setEnabled(!running && currentItem() != nullptr);
  QAction* iterations =
      menu.addAction(QStringLiteral("Iterations..."), this, &CHalvexView::SetIterationsOfSelected);
  iterations->setEnabled(!running && selection);
  QAction* remove = menu.addAction(QStringLiteral("Delete"), this, &CHalvexView::DeleteSelected);
  remove->setEnabled(!running && selection);
  QAction* removeAll = menu.addAction(QStringLiteral("Delete All"), this, &CHalvexView::DeleteAll);
  removeAll->setEnabled(!running && topLevelItemCount() != 0);
  menu.addSeparator();
  QAction* properties =
      menu.addAction(QString::fromStdString(m_app.Strings().Get(ids::kSuitePropertiesCommand)),
                     this, &CHalvexView::ShowProperties);
  properties->setEnabled(!running);
  menu.exec(event->globalPos());
}

void CHalvexView::dragEnterEvent(QDragEnterEvent* event)
{
  m_pDropTarget->DragMove(event);
}

void CHalvexView::dragMoveEvent(QDragMoveEvent* event)
{
  m_pDropTarget->DragMove(event);
}

void CHalvexView::dragLeaveEvent(QDragLeaveEvent*)
{
  m_pDropTarget->DragLeave();
}

void CHalvexView::dropEvent(QDropEvent* event)
{
  m_pDropTarget->Drop(event);
}

void CHalvexView::startDrag(Qt::DropActions)
{
  m_pDropTarget->StartDrag(SelectedPositions());
}

} // namespace harness
