// The suite window.
#include "halvexview.h"

#include "halvexapp.h"
#include "harness/commands.h"
#include "harness/dospasses.h"
#include "harness/prompts.h"
#include "harness/stateicons.h"
#include "harness/stringids.h"
#include "mainframe.h"
#include "plinth/component.h"
#include "suiteprinter.h"
#include "suitepropertiessheet.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <climits>

namespace harness {

namespace {

constexpr int kPositionRole = Qt::UserRole;
constexpr int kStateIconRole = Qt::UserRole + 1;

constexpr const char* kDeleteAllQuestion =
    "Are you sure you want to delete all Test Cases from the Test Suite?";

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
    request.buttons = BoxButtons::YesNoCancel;
    request.defaultAnswer = BoxAnswer::No;
    // Yes saves, No discards; Cancel, Escape and closing the box keep the window.
    switch (app.Prompts().Ask(request)) {
    case BoxAnswer::Yes:
      return harness::SaveChangesAnswer::Yes;
    case BoxAnswer::No:
      return harness::SaveChangesAnswer::No;
    default:
      return harness::SaveChangesAnswer::Cancel;
    }
  };
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
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { OnConfigureTestCase(); });
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_app.m_pMainFrame != nullptr)
      m_app.m_pMainFrame->UpdateCommandUI();
  });
  m_pEngine = std::make_unique<CRunEngine>(app.MakeRunContext(*this));
  app.m_pSuiteView = this;
}

CHalvexView::~CHalvexView() = default;

std::string CHalvexView::SeveralComponentsText() const
{
  return m_app.Strings().Get(ids::kSeveralComponents);
}

void CHalvexView::NewSuite()
{
  m_doc.OnNewDocument("New suite");
  Refresh();
  SuiteChanged();
}

bool CHalvexView::OpenFile(const QString& path)
{
  if (!m_doc.OpenSuiteFile(path.toStdString()))
    return false;
  Refresh();
  SuiteChanged();
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

void CHalvexView::UpdateTitle()
{
  setWindowTitle(QString::fromStdString(m_doc.GetTitle()) +
                 (m_doc.IsModified() ? QStringLiteral(" *") : QString()));
}

void CHalvexView::SuiteChanged()
{
  UpdateTitle();
  m_app.m_nDosTestCases =
      CheckForDosTestCases(m_app.MarlowModule(), TakeItems(), &m_doc.m_suite, kListNextAll);
  if (m_app.m_pMainFrame != nullptr)
    m_app.m_pMainFrame->UpdateCommandUI();
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
  // The counters and state of another suite's run in progress stay.
  if (!IsRunInProgress(m_app.m_nRunState))
    m_app.StatusOperations().Reset(guiLoggingLevel);
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

void CHalvexView::OnDeleteSelected()
{
  if (m_doc.m_nDocState == harness::kDocStateRunning)
    return;
  const std::vector<std::size_t> positions = SelectedPositions();
  if (positions.empty()) {
    QApplication::beep();
    return;
  }
  const std::string question =
      positions.size() == 1
          ? m_app.Strings().Get(ids::kDeleteOneQuestion)
          : m_app.Strings().Format(ids::kDeleteSeveralQuestion, {std::to_string(positions.size())});
  if (!m_app.Prompts().AskYesNo(question, true))
    return;
  m_doc.DeleteTestCases(positions);
  Refresh();
  m_app.Log(2, m_app.Strings().Get(ids::kDeletedSelected));
  SuiteChanged();
}

void CHalvexView::OnDeleteAll()
{
  if (m_doc.m_nDocState == harness::kDocStateRunning || topLevelItemCount() == 0)
    return;
  if (!m_app.Prompts().AskYesNo(kDeleteAllQuestion, true))
    return;
  m_doc.DeleteAllTestCases();
  Refresh();
  m_app.Log(2, m_app.Strings().Get(ids::kDeletedAll));
  UpdateTitle();
  // Nothing left to ask Marlow about.
  m_app.m_nDosTestCases = 0;
  if (m_app.m_pMainFrame != nullptr)
    m_app.m_pMainFrame->UpdateCommandUI();
}

void CHalvexView::OnRunAll()
{
  m_app.StartRun(*this, kListNextAll);
}

void CHalvexView::OnRunSelected()
{
  m_app.StartRun(*this, kListNextSelected);
}

void CHalvexView::OnConfigureTestCase()
{
  if (m_doc.m_nDocState == harness::kDocStateRunning)
    return;
  const std::vector<std::size_t> positions = SelectedPositions();
  if (positions.size() != 1) {
    m_app.Prompts().Show(m_app.Strings().Get(positions.empty() ? ids::kConfigureNoSelection
                                                               : ids::kConfigureSeveralSelected));
    return;
  }
  CTestCase* testCase = m_doc.TestCaseAt(positions.front());
  if (testCase == nullptr || testCase->Configure() != 1)
    return;
  m_doc.SetModifiedFlag();
  Refresh();
  SuiteChanged();
}

void CHalvexView::OnSetIterations()
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
      positions.size() == 1 && first != nullptr ? first->GetIterations() : 1,
      harness::kMinIterations, INT_MAX, 1, &ok);
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

bool CHalvexView::OnSuiteProperties()
{
  if (ShowSuiteProperties(m_doc.m_suite, kSuitePropertiesExisting, m_app.Strings(), this) !=
      kSuitePropertiesChanged)
    return false;
  // A changed path or name is worth saving, so closing asks.
  m_doc.SetModifiedFlag();
  UpdateTitle();
  return true;
}

std::unique_ptr<CSuitePrinter> CHalvexView::MakePrinter() const
{
  QStringList headers;
  for (int column = 0; column < columnCount(); ++column)
    headers << headerItem()->text(column);
  QVector<QStringList> rows;
  for (int row = 0; row < topLevelItemCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < columnCount(); ++column)
      cells << topLevelItem(row)->text(column);
    rows.push_back(cells);
  }
  const QString title =
      QString::fromStdString(m_app.Strings().Format(ids::kPrintTitle, {m_doc.m_suite.GetName()}));
  return std::make_unique<CSuitePrinter>(title, headers, rows);
}

void CHalvexView::OnFilePrint()
{
  if (IsUnattended())
    return;
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted)
    MakePrinter()->Print(&printer);
}

void CHalvexView::OnFilePrintDirect()
{
  QPrinter printer;
  MakePrinter()->Print(&printer);
}

void CHalvexView::OnFilePrintPreview()
{
  if (IsUnattended())
    return;
  std::unique_ptr<CSuitePrinter> pages = MakePrinter();
  QPrintPreviewDialog preview(this);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [&pages](QPrinter* printer) { pages->Print(printer); });
  preview.exec();
}

CRunItemList CHalvexView::TakeItems()
{
  std::vector<RunItem> items;
  for (int row = 0; row < topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    const auto position = static_cast<std::size_t>(item->data(0, kPositionRole).toULongLong());
    if (CTestCase* testCase = m_doc.TestCaseAt(position))
      items.push_back({row, testCase, item->isSelected()});
  }
  return CRunItemList(std::move(items));
}

void CHalvexView::SetItemIcon(int row, StateIcon icon)
{
  if (!SetItemIcon(row, static_cast<int>(icon)))
    return;
  // Drawn now, before the test case starts or after it ended.
  viewport()->repaint(visualItemRect(topLevelItem(row)));
}

void CHalvexView::EnsureItemVisible(int row)
{
  if (QTreeWidgetItem* item = topLevelItem(row))
    scrollToItem(item);
}

void CHalvexView::PostBringToFront()
{
  QCoreApplication::postEvent(this, new QEvent(kBringToFrontEvent));
}

bool CHalvexView::event(QEvent* event)
{
  if (event->type() == kBringToFrontEvent) {
    if (m_app.m_pMainFrame != nullptr) {
      for (QMdiSubWindow* sub : m_app.m_pMainFrame->MdiArea()->subWindowList())
        if (sub->widget() == this)
          m_app.m_pMainFrame->MdiArea()->setActiveSubWindow(sub);
      m_app.m_pMainFrame->BringForward();
    }
    return true;
  }
  if (event->type() == kRunAllEvent) {
    m_app.StartRun(*this, kListNextAll);
    return true;
  }
  return QTreeWidget::event(event);
}

void CHalvexView::closeEvent(QCloseEvent* event)
{
  if (!m_doc.CanCloseFrame(SeveralComponentsText())) {
    event->ignore();
    return;
  }
  // The run has ended but its worker may still be on its way out through this window.
  if (m_app.IsRunThreadWorking())
    m_app.JoinRunThread();
  event->accept();
}

void CHalvexView::keyPressEvent(QKeyEvent* event)
{
  if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
    OnDeleteSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void CHalvexView::contextMenuEvent(QContextMenuEvent* event)
{
  CMainFrame* frame = m_app.m_pMainFrame;
  if (frame == nullptr)
    return;
  frame->UpdateCommandUI();
  QMenu menu(this);
  using namespace cmd;
  for (int command : {kRunAll, kRunSelected, kStopRun, kPauseRun, kResumeRun, 0, kConfigureTestCase,
                      kSetIterations, kDeleteSelected, kDeleteAll, 0, kSuiteProperties}) {
    if (command == 0)
      menu.addSeparator();
    else if (QAction* action = frame->Action(command))
      menu.addAction(action);
  }
  QAction* rename = menu.addAction(QStringLiteral("Rename"), this, [this] {
    if (QTreeWidgetItem* item = currentItem())
      editItem(item, 0);
  });
  rename->setEnabled(m_doc.m_nDocState != harness::kDocStateRunning && currentItem() != nullptr);
  menu.exec(event->globalPos());
}

} // namespace harness
