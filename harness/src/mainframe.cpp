// The main window, its bars and its commands.
#include "mainframe.h"

#include "availabletestswnd.h"
#include "componentsdialog.h"
#include "guidewindow.h"
#include "halvexapp.h"
#include "halvexview.h"
#include "harness/logfile.h"
#include "harness/prompts.h"
#include "harness/resultsview.h"
#include "harness/runstate.h"
#include "harness/stringids.h"
#include "harness/viewer.h"
#include "harnessmessages.h"
#include "limitededit.h"
#include "messageswnd.h"
#include "ourstatusbar.h"
#include "platform/modules.h"
#include "platform/process.h"
#include "platform/version.h"

#include <QAction>
#include <QCloseEvent>
#include <QDataStream>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <cerrno>

namespace harness {

namespace {

QString Text(const CHalvexApp& app, int id)
{
  return QString::fromStdString(app.Strings().Get(id));
}

constexpr quint32 kBarStateMagic = 0x48425331; // "HBS1"
constexpr int kBarStateVersion = 1;

} // namespace

CMainFrame::CMainFrame(CHalvexApp& app) : m_app(app)
{
  // The window class name stays the instance's name: a second start looks for it.
  setObjectName(QStringLiteral("HALVEXclass"));
  setWindowTitle(Text(app, ids::kAppTitle));
  setWindowIcon(app.HalvexResources().Icon(QStringLiteral("halvex")));
  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  setGeometry(screen);
  m_hWnd =
      platform::CreateWindow("HALVEXclass", [this](platform::UINT message, platform::WPARAM wParam,
                                                   platform::LPARAM lParam) {
        return WindowProc(message, wParam, lParam);
      });
  platform::SetMainWnd(m_hWnd);
}

MsgResult CMainFrame::WindowProc(platform::UINT message, MsgWParam wParam, MsgLParam lParam)
{
  if (message == g_uLogMessage)
    return OnLogMessage(wParam, lParam);
  if (message == g_uConditionsMessage)
    return OnTestConditionsMsg(wParam, lParam);
  if (message == g_uResultsMessage)
    return OnTestResultsMsg(wParam, lParam);
  if (message == g_uNtLogMessage)
    return OnTestNtLogMsg(wParam, lParam);
  if (message == g_uOpenMessage)
    return OnOpenMsg(wParam, lParam);
  return 0;
}

void CMainFrame::BringForward()
{
  if (isMinimized())
    showNormal();
  raise();
  activateWindow();
}

CMainFrame::~CMainFrame()
{
  m_app.StatusOperations().SetStateListener(nullptr);
  // The bars are destroyed after this part of the frame; their signals must not reach it.
  for (QObject* child : findChildren<QObject*>())
    disconnect(child, nullptr, this, nullptr);
  if (platform::GetMainWnd() == m_hWnd)
    platform::SetMainWnd(nullptr);
  platform::DestroyWindow(m_hWnd);
}

bool CMainFrame::OnCreate()
{
  m_pMdiArea = new QMdiArea(this);
  m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
  setCentralWidget(m_pMdiArea);
  setDockNestingEnabled(true);
  setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);

  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

  m_pToolBar = new QToolBar(Text(m_app, ids::kToolBarTitle), this);
  m_pToolBar->setObjectName(QStringLiteral("ToolBar101"));
  addToolBar(Qt::TopToolBarArea, m_pToolBar);

  m_pOutput = new CMessagesWnd(m_app.Strings(), this);
  addDockWidget(Qt::BottomDockWidgetArea, m_pOutput);

  m_pStatusBar = new COurStatusBar(m_app.Strings(), m_app.StatusOperations(), this);
  m_app.StatusOperations().SetStateListener([this](RunState) { UpdateCommandUI(); });
  addToolBar(Qt::TopToolBarArea, m_pStatusBar);
  m_app.m_pStatusBar = m_pStatusBar;

  m_pAvailableTests = new CAvailableTestsWnd(m_app.Strings(), this);
  addDockWidget(Qt::LeftDockWidgetArea, m_pAvailableTests);

  // Starting sizes: the output bar 0.4 of the screen high, the workspace a third wide.
  resizeDocks({m_pOutput}, {static_cast<int>(0.4 * screen.height())}, Qt::Vertical);
  resizeDocks({m_pAvailableTests}, {static_cast<int>(0.33 * screen.width())}, Qt::Horizontal);

  CreateActions();
  CreateMenus();
  RefreshConfigMode();

  connect(m_pAvailableTests->Tabs(), &QTabWidget::currentChanged, this,
          &CMainFrame::UpdateCommandUI);
  for (QTreeWidget* tree : {m_pAvailableTests->SuitesTree(), m_pAvailableTests->TestCasesTree()})
    connect(tree, &QTreeWidget::currentItemChanged, this, &CMainFrame::UpdateCommandUI);
  for (QWidget* bar :
       std::initializer_list<QWidget*>{m_pOutput, m_pAvailableTests, m_pStatusBar, m_pToolBar}) {
    if (auto* dock = qobject_cast<QDockWidget*>(bar))
      connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
    if (auto* tools = qobject_cast<QToolBar*>(bar))
      connect(tools, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
  }
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandUI);
  UpdateCommandUI();
  return true;
}

CResultsView* CMainFrame::GetResultsVw() const
{
  return &m_app.ResultsView();
}

CLimitedEdit* CMainFrame::GetResultsWindow() const
{
  return m_pOutput ? m_pOutput->ResultsEdit() : nullptr;
}

CLimitedEdit* CMainFrame::GetLogWindow() const
{
  return m_pOutput ? m_pOutput->LogEdit() : nullptr;
}

QAction* CMainFrame::AddLater(int command, const QString& icon)
{
  return AddAction(command, std::function<void()>([this, command] { NotAvailable(command); }),
                   icon);
}

QAction* CMainFrame::AddAction(int command, void (CMainFrame::*handler)(), const QString& icon)
{
  return AddAction(command, std::function<void()>([this, handler] { (this->*handler)(); }), icon);
}

QAction* CMainFrame::AddAction(int command, std::function<void()> handler, const QString& icon)
{
  auto* action = new QAction(Text(m_app, command), this);
  action->setData(command);
  action->setObjectName(QStringLiteral("command%1").arg(command));
  if (!icon.isEmpty())
    action->setIcon(m_app.HalvexResources().Icon(icon));
  connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
  m_actions.insert(command, action);
  return action;
}

void CMainFrame::CreateActions()
{
  using namespace cmd;
  AddAction(kFileNew, &CMainFrame::OnFileNew);
  AddAction(kFileOpen, &CMainFrame::OnFileOpen, QStringLiteral("open"));
  AddAction(kFileClose, [this] {
    if (QMdiSubWindow* sub = m_pMdiArea->activeSubWindow())
      sub->close();
  });
  AddAction(
      kFileSave,
      [this] {
        if (CHalvexView* window = ActiveSuiteWindow())
          window->Save();
      },
      QStringLiteral("save"));
  AddAction(kFileSaveAs, [this] {
    if (CHalvexView* window = ActiveSuiteWindow())
      window->SaveAs();
  });
  AddLater(kFilePrintSetup);
  AddAction(kAppExit, [this] { close(); });
  const std::pair<int, void (CHalvexView::*)()> suiteCommands[] = {
      {kDeleteSelected, &CHalvexView::OnDeleteSelected},
      {kDeleteAll, &CHalvexView::OnDeleteAll},
      {kRunAll, &CHalvexView::OnRunAll},
      {kRunSelected, &CHalvexView::OnRunSelected},
      {kConfigureTestCase, &CHalvexView::OnConfigureTestCase},
      {kSetIterations, &CHalvexView::OnSetIterations},
      {kFilePrint, &CHalvexView::OnFilePrint},
      {kFilePrintDirect, &CHalvexView::OnFilePrintDirect},
      {kFilePrintPreview, &CHalvexView::OnFilePrintPreview},
  };
  for (const auto& [command, handler] : suiteCommands)
    AddAction(command, [this, handler = handler] { ForwardToSuiteWindow(handler); });
  AddAction(kSuiteProperties, [this] {
    if (CHalvexView* window = ActiveSuiteWindow())
      window->OnSuiteProperties();
  });
  AddAction(kStopRun, [this] { m_app.StopRun(); });
  AddAction(kPauseRun, [this] { m_app.PauseRun(); });
  AddAction(kResumeRun, [this] { m_app.ResumeRun(); });
  AddAction(kViewAvailableTests, &CMainFrame::OnViewAvailableTests, QStringLiteral("workspace"));
  AddAction(kViewOutputWindow, &CMainFrame::OnViewOutputwindow, QStringLiteral("output"));
  AddAction(kViewStatusBar, &CMainFrame::OnViewStatusBar);
  AddAction(kViewToolBar, [this] {
    m_pToolBar->setVisible(!m_pToolBar->isVisible());
    UpdateCommandUI();
  });
  for (int command : {kViewAvailableTests, kViewOutputWindow, kViewStatusBar, kViewToolBar})
    Action(command)->setCheckable(true);
  AddAction(kEditClearResultsWindow, &CMainFrame::OnEditClearResultsWindow,
            QStringLiteral("clearresults"));
  AddAction(kEditClearLogWindow, &CMainFrame::OnEditClearLogWindow, QStringLiteral("clearlog"));
  AddAction(kEditDeleteLogfile, &CMainFrame::OnEditDeleteLogfile);
  AddAction(kEditDeleteResultsfile, &CMainFrame::OnEditDeleteResultsfile);
  AddAction(kViewResultsFile, &CMainFrame::OnViewResultsFile, QStringLiteral("viewresults"));
  AddAction(kViewLogFile, &CMainFrame::OnViewLogFile, QStringLiteral("viewlog"));
  AddAction(kConfigureComponent, &CMainFrame::OnConfigureComponent, QStringLiteral("components"));
  AddLater(kHarnessProperties, QStringLiteral("properties"));
  AddLater(kHelpDisplayStartupBox);
  AddAction(kDisplayUsersGuide, &CMainFrame::OnDisplayUsersGuide, QStringLiteral("guide"));
  AddAction(kForceAppShutdown, &CMainFrame::OnForceAppShutdown);
  AddLater(kRefreshSuitesView);
  AddLater(kViewItemProperties);
  AddLater(kOpenSelectedSuite);
  AddAction(kAppAbout, &CMainFrame::OnAppAbout, QStringLiteral("halvex"));

  for (int command : {kFileOpen,
                      kFileSave,
                      0,
                      kEditClearResultsWindow,
                      kEditClearLogWindow,
                      0,
                      kViewResultsFile,
                      kViewLogFile,
                      0,
                      kViewAvailableTests,
                      kViewOutputWindow,
                      0,
                      kConfigureComponent,
                      kHarnessProperties,
                      0,
                      kRunAll,
                      kPauseRun,
                      kResumeRun,
                      kStopRun,
                      0,
                      kDisplayUsersGuide}) {
    if (command == 0)
      m_pToolBar->addSeparator();
    else
      m_pToolBar->addAction(Action(command));
  }
  for (QAction* action : m_actions)
    action->setToolTip(action->text().remove(QLatin1Char('&')));
}

void CMainFrame::CreateMenus()
{
  using namespace cmd;
  struct MenuEntry
  {
    int title;
    std::initializer_list<int> commands;
  };
  const MenuEntry menus[] = {
      {ids::kMenuFile,
       {kFileNew, kFileOpen, kFileClose, kFileSave, kFileSaveAs, 0, kFilePrint, kFilePrintDirect,
        kFilePrintPreview, kFilePrintSetup, 0, kAppExit}},
      {ids::kMenuEdit,
       {kEditClearResultsWindow, kEditClearLogWindow, 0, kEditDeleteLogfile,
        kEditDeleteResultsfile}},
      {ids::kMenuView,
       {kViewToolBar, kViewStatusBar, kViewAvailableTests, kViewOutputWindow, 0, kViewResultsFile,
        kViewLogFile, 0, kRefreshSuitesView, kViewItemProperties, kOpenSelectedSuite}},
      {ids::kMenuSuite,
       {kRunAll, kRunSelected, kPauseRun, kResumeRun, kStopRun, 0, kConfigureTestCase,
        kSetIterations, kDeleteSelected, kDeleteAll, 0, kSuiteProperties}},
      {ids::kMenuTools, {kConfigureComponent, kHarnessProperties, 0, kForceAppShutdown}},
      {ids::kMenuHelp, {kDisplayUsersGuide, kHelpDisplayStartupBox, 0, kAppAbout}},
  };
  for (const MenuEntry& entry : menus) {
    QMenu* menu = menuBar()->addMenu(Text(m_app, entry.title));
    for (int command : entry.commands) {
      if (command == 0)
        menu->addSeparator();
      else
        menu->addAction(Action(command));
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    if (entry.title == ids::kMenuFile)
      m_pFileMenu = menu;
  }
  // The recent files go between Print Setup and Exit.
  m_pRecentSeparator = m_pFileMenu->insertSeparator(Action(kAppExit));
  UpdateRecentFileMenu();
  QMenu* window = menuBar()->addMenu(Text(m_app, ids::kMenuWindow));
  window->addAction(QStringLiteral("&Cascade"), m_pMdiArea, &QMdiArea::cascadeSubWindows);
  window->addAction(QStringLiteral("&Tile"), m_pMdiArea, &QMdiArea::tileSubWindows);
  // The help menu stays last.
  menuBar()->removeAction(window->menuAction());
  menuBar()->insertMenu(menuBar()->actions().last(), window);
}

cmd::CommandContext CMainFrame::CommandContext() const
{
  cmd::CommandContext context;
  context.runState = m_app.m_nRunState;
  if (m_pAvailableTests != nullptr) {
    context.activeTab = m_pAvailableTests->ActiveTab();
    context.selectedItem = m_pAvailableTests->SelectedItem();
    context.availableTestsVisible = m_pAvailableTests->isVisible();
  }
  context.configMode = m_bConfigMode;
  context.documentOpen = m_pMdiArea != nullptr && m_pMdiArea->activeSubWindow() != nullptr;
  context.outputVisible = m_pOutput != nullptr && m_pOutput->isVisible();
  context.statusBarVisible = m_pStatusBar != nullptr && m_pStatusBar->isVisible();
  context.toolBarVisible = m_pToolBar != nullptr && m_pToolBar->isVisible();
  if (CHalvexView* window = ActiveSuiteWindow()) {
    context.suiteItems = window->topLevelItemCount();
    context.selectedItems = window->SelectedCount();
  }
  context.dosTestCases = m_app.m_nDosTestCases != 0;
  return context;
}

void CMainFrame::UpdateCommandUI()
{
  cmd::CommandContext context = CommandContext();
  for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
    cmd::CommandState state = cmd::QueryCommandState(it.key(), context);
    it.value()->setEnabled(state.enabled);
    if (it.value()->isCheckable())
      it.value()->setChecked(state.checked);
  }
}

void CMainFrame::NotAvailable(int command)
{
  m_app.Log(1, m_app.Strings().Format(ids::kNotAvailableYet,
                                      {Text(m_app, command).remove('&').toStdString()}));
}

MsgResult CMainFrame::OnLogMessage(MsgWParam wParam, MsgLParam lParam)
{
  const char* text = reinterpret_cast<const char*>(lParam);
  m_app.LogWriter().OnLogLine(static_cast<unsigned>(wParam), text ? text : "");
  return 0;
}

MsgResult CMainFrame::OnTestConditionsMsg(MsgWParam, MsgLParam lParam)
{
  return OnTestResultsMsg(0, lParam);
}

MsgResult CMainFrame::OnTestResultsMsg(MsgWParam, MsgLParam lParam)
{
  const char* text = reinterpret_cast<const char*>(lParam);
  GetResultsVw()->OnResultText(text ? text : "");
  return 0;
}

MsgResult CMainFrame::OnTestNtLogMsg(MsgWParam, MsgLParam lParam)
{
  // Read during the call only: the record belongs to the sender.
  const auto* entry = reinterpret_cast<const NtLogEntry*>(lParam);
  if (entry == nullptr)
    return 0;
  GetResultsVw()->LogNtEntry(entry->flags, entry->sourceFile ? entry->sourceFile : "", entry->line,
                             entry->text ? entry->text : "");
  return 0;
}

MsgResult CMainFrame::OnOpenMsg(MsgWParam, MsgLParam lParam)
{
  const char* path = reinterpret_cast<const char*>(lParam);
  if (path == nullptr || *path == '\0')
    return 0;
  std::string name(path);
  return m_app.OpenDocumentFile(name) ? 1 : 0;
}

void CMainFrame::ForwardToSuiteWindow(void (CHalvexView::*command)())
{
  if (CHalvexView* window = ActiveSuiteWindow())
    (window->*command)();
}

CHalvexView* CMainFrame::ActiveSuiteWindow() const
{
  QMdiSubWindow* sub = m_pMdiArea != nullptr ? m_pMdiArea->activeSubWindow() : nullptr;
  return sub != nullptr ? qobject_cast<CHalvexView*>(sub->widget()) : nullptr;
}

void CMainFrame::OnFileNew()
{
  auto* window = new CHalvexView(m_app);
  window->NewSuite();
  QMdiSubWindow* sub = m_pMdiArea->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->show();
}

void CMainFrame::OnFileOpen()
{
  if (IsUnattended())
    return;
  // The start folder with every doubled separator collapsed.
  const QString folder =
      QDir::cleanPath(QString::fromStdString(m_app.m_settings.m_strTestSuitesFolder));
  QDir::setCurrent(folder);
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open test suite"), folder,
                                                    QStringLiteral("Test suites (*.ts)"));
  if (!path.isEmpty())
    m_app.OpenDocumentFile(path.toStdString());
}

void CMainFrame::OnConfigureComponent()
{
  harness::CComponentLoader* loader = m_app.ComponentLoader();
  if (loader == nullptr)
    return;
  if (IsUnattended()) {
    // No one to press the buttons: the rows go to the log instead.
    CComponentsDialog dialog(m_app, *this, *loader);
    for (int row = 0; row < dialog.List()->topLevelItemCount(); ++row)
      m_app.Log(2, dialog.List()->topLevelItem(row)->text(0).toStdString() + ": " +
                       dialog.List()->topLevelItem(row)->text(1).toStdString());
  } else {
    CComponentsDialog dialog(m_app, *this, *loader);
    dialog.exec();
  }
  RefreshConfigMode();
  UpdateCommandUI();
}

bool CMainFrame::AddComponent()
{
  harness::CComponentLoader* loader = m_app.ComponentLoader();
  std::string folder;
  if (loader == nullptr || !loader->GetComponentDllFolder(folder) || IsUnattended())
    return false;
  QFileDialog dialog(this, Text(m_app, ids::kAddComponentTitle), QString::fromStdString(folder),
                     Text(m_app, ids::kAddComponentFilter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setDefaultSuffix(QStringLiteral("so"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return false;
  return AddComponentFile(dialog.selectedFiles().front().toStdString());
}

bool CMainFrame::AddComponentFile(const std::string& path)
{
  harness::CComponentLoader* loader = m_app.ComponentLoader();
  if (loader == nullptr)
    return false;
  if (loader->AddComponentDll(path) != harness::CComponentLoader::AddResult::Added)
    return false;
  UpdateCommandUI();
  return true;
}

void CMainFrame::UpdateRecentFileMenu()
{
  if (m_pFileMenu == nullptr)
    return;
  for (QAction* action : m_recentFileActions) {
    m_pFileMenu->removeAction(action);
    action->deleteLater();
  }
  m_recentFileActions.clear();
  const std::vector<std::string>& entries = m_app.RecentFiles().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto* action = new QAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(entries[i])), this);
    action->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
    connect(action, &QAction::triggered, this, [this, i] { m_app.OpenRecentFile(i); });
    m_pFileMenu->insertAction(m_pRecentSeparator, action);
    m_recentFileActions.append(action);
  }
  m_pRecentSeparator->setVisible(!entries.empty());
}

void CMainFrame::RefreshConfigMode()
{
  harness::CComponentLoader* loader = m_app.ComponentLoader();
  m_bConfigMode = loader != nullptr && loader->IsConfigMode();
}

void CMainFrame::OnViewAvailableTests()
{
  m_pAvailableTests->setVisible(!m_pAvailableTests->isVisible());
  UpdateCommandUI();
}

void CMainFrame::OnViewOutputwindow()
{
  m_pOutput->setVisible(!m_pOutput->isVisible());
  UpdateCommandUI();
}

void CMainFrame::OnViewStatusBar()
{
  m_pStatusBar->setVisible(!m_pStatusBar->isVisible());
  UpdateCommandUI();
}

void CMainFrame::OnEditClearResultsWindow()
{
  GetResultsVw()->ClearWindow();
}

void CMainFrame::OnEditClearLogWindow()
{
  m_app.LogWriter().ClearWindow();
}

void CMainFrame::OnEditDeleteLogfile()
{
  if (!m_app.Prompts().AskYesNo(m_app.Strings().Get(ids::kDeleteLogQuestion), true))
    return;
  // A failed delete has been logged as such.
  if (m_app.LogWriter().ClearLog() == 0)
    m_app.Log(1, m_app.Strings().Get(ids::kLogFileDeleted));
}

void CMainFrame::OnEditDeleteResultsfile()
{
  const std::string& path = m_app.m_settings.m_strResultsFilePath;
  if (!FileExists(path))
    return;
  if (!m_app.Prompts().AskYesNo(m_app.Strings().Get(ids::kDeleteResultsQuestion), true))
    return;
  // NTLog's log at that path is closed first, so nothing is written to a deleted file; a failed
  // delete has been logged as such.
  if (GetResultsVw()->ClearResults() == 0)
    m_app.Log(1, m_app.Strings().Get(ids::kResultsFileDeleted));
}

bool CMainFrame::StartViewer(const std::string& file, int failureText)
{
  // Started without waiting; the process object lets go of it, and it is reaped when it ends.
  platform::Process viewer;
  if (viewer.Start(ViewerCommandLine(m_app.m_settings.m_strFileViewerPath, file)))
    return true;
  m_app.Log(0,
            m_app.Strings().Format(failureText, {std::to_string(viewer.LastError().windowsCode)}));
  return false;
}

void CMainFrame::OnViewResultsFile()
{
  StartViewer(m_app.m_settings.m_strResultsFilePath, ids::kViewResultsFailed);
}

void CMainFrame::OnViewLogFile()
{
  StartViewer(m_app.m_settings.m_strLogFilePath, ids::kViewLogFailed);
}

void CMainFrame::OnDisplayUsersGuide()
{
  if (m_pGuide == nullptr)
    m_pGuide = new CGuideWindow(this);
  QString index = GuideIndexPath();
  if (!m_pGuide->ShowContents(index))
    m_app.Log(0, m_app.Strings().Format(ids::kGuideMissing, {index.toStdString()}));
}

void CMainFrame::OnForceAppShutdown()
{
  if (IsRunInProgress(m_app.m_nRunState) &&
      !m_app.Prompts().AskYesNo(m_app.Strings().Get(ids::kForceShutdownQuestion), false,
                                BoxIcon::Warning))
    return;
  m_bForceClose = true;
  close();
  m_bForceClose = false;
}

void CMainFrame::OnAppAbout()
{
  std::string program = platform::ProgramFileName();
  auto version = program.empty() ? std::nullopt : platform::ReadFileVersion(program);
  std::string text =
      program.empty()
          ? m_app.Strings().Get(ids::kAboutNoVersion)
          : m_app.Strings().Format(ids::kAboutVersion, {platform::FormatFileVersion(version)});
  m_app.Prompts().Show(text);
}

bool CMainFrame::OnQueryEndSession()
{
  if (!IsRunInProgress(m_app.m_nRunState))
    return true;
  return m_app.Prompts().AskYesNo(m_app.Strings().Get(ids::kEndSessionQuestion), false,
                                  BoxIcon::Warning);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
  if (IsRunInProgress(m_app.m_nRunState) && !m_bForceClose) {
    m_app.Prompts().Show(m_app.Strings().Get(ids::kCloseRefused), BoxIcon::Warning);
    event->ignore();
    return;
  }
  // Each suite window asks about its unsaved changes; one that stays open keeps the harness.
  if (!m_bForceClose) {
    m_pMdiArea->closeAllSubWindows();
    if (!m_pMdiArea->subWindowList().isEmpty()) {
      event->ignore();
      return;
    }
  }
  m_app.SaveBarState();
  event->accept();
}

QByteArray CMainFrame::SaveBarState() const
{
  QByteArray state;
  QDataStream out(&state, QIODevice::WriteOnly);
  out << kBarStateMagic << saveGeometry() << saveState(kBarStateVersion);
  return state;
}

bool CMainFrame::RestoreBarState(const QByteArray& state)
{
  QDataStream in(state);
  quint32 magic = 0;
  QByteArray geometry, bars;
  in >> magic >> geometry >> bars;
  if (in.status() != QDataStream::Ok || magic != kBarStateMagic)
    return false;
  bool ok = restoreGeometry(geometry);
  ok = restoreState(bars, kBarStateVersion) && ok;
  UpdateCommandUI();
  return ok;
}

} // namespace harness
