// The application object.
#include "halvexapp.h"

#include "availabletestswnd.h"
#include "halvexview.h"
#include "harness/fileexception.h"
#include "harness/logfile.h"
#include "harness/logsend.h"
#include "harness/runprogress.h"
#include "harness/runstate.h"
#include "harness/startup.h"
#include "harness/stringids.h"
#include "harnessmessages.h"
#include "limitededit.h"
#include "mainframe.h"
#include "ourstatusbar.h"
#include "plinth/component.h"
#include "qtprompts.h"
#include "startuppropsheet.h"
#include "testcasestree.h"
#include "testsuitestree.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <iostream>

namespace harness {

namespace {

CHalvexApp* g_pApp = nullptr;

// The version of Qt the program needs at run time.
constexpr unsigned kMinimumQtMajor = 6;
constexpr unsigned kMinimumQtMinor = 2;

} // namespace

CHalvexApp* HalvexApp()
{
  return g_pApp;
}

CHalvexApp::CHalvexApp()
    : m_pPrompts(std::make_unique<CQtPrompts>(QStringLiteral("Halvex"))),
      m_pDispatcher(std::make_unique<CQtDispatcher>()),
      m_logWriter(m_settings, m_halvexResources.Strings(), *m_pPrompts),
      m_statusOperations(m_nRunState, m_run, m_halvexResources.Strings()),
      m_dosRestart([this] { return MakeDosRestart(); })
{
  g_pApp = this;
  m_settings.SetDefaults();
  const LogFunction log = [this](unsigned level, const std::string& text) { Log(level, text); };
  m_statusOperations.SetLog(log);
  // NTLog is bound here, once for the life of the program.
  m_pResultsView = std::make_unique<CResultsView>(m_settings, m_run, Strings(), *m_pPrompts);
  m_pResultsView->SetLog(log);
  m_pResultsView->SetSaveSettings([this] { SaveSettings(); });
  m_pResultsView->SetFileExceptionReport(
      [this](FileExceptionCause cause, const std::string& file, int error) {
        ReportFileException(cause, file, error);
      });
  m_pResultsView->SetComponentFinder([this](const std::string& className) -> CComponent* {
    return m_pComponentLoader != nullptr ? m_pComponentLoader->FindComponentByClass(className)
                                         : nullptr;
  });
  m_pResultsView->SetRecord(&m_runRecord);
  // Suite files read and written through the base library report their failures here.
  SetArchiveErrorReporter([](const CArchive& ar, unsigned level) {
    if (CHalvexApp* app = HalvexApp())
      app->ReportArchiveException(ArchiveCauseFromError(ar.GetError()), ar.GetFileName(), level);
  });
  m_logWriter.SetSaveSettings([this] { SaveSettings(); });
}

CHalvexApp::~CHalvexApp()
{
  m_instanceListener.Stop();
  EndRunForExit();
  m_logWriter.SetWindow(nullptr);
  m_pResultsView->SetWindow(nullptr);
  delete m_pMainFrame;
  if (g_pApp == this) {
    SetArchiveErrorReporter(nullptr);
    g_pApp = nullptr;
  }
}

UserPrompts& CHalvexApp::Prompts()
{
  return *m_pPrompts;
}

bool CHalvexApp::HandOverToRunningInstance()
{
  if (!platform::IsInstanceRunning(kWindowClassName))
    return false;
  platform::InstanceRequest request;
  if (!m_cmdInfo.m_strFileName.empty()) {
    request.kind = platform::InstanceRequest::Kind::Open;
    request.path =
        QFileInfo(QString::fromStdString(m_cmdInfo.m_strFileName)).absoluteFilePath().toStdString();
  }
  // A hung instance does not hold this one: the request gives up after 500 ms.
  platform::InstanceAnswer answer = platform::AskRunningInstance(kWindowClassName, request);
  if (answer == platform::InstanceAnswer::NotRunning)
    return false;
  std::cerr << "halvex: handed over to the running instance"
            << (request.path.empty() ? std::string() : ": " + request.path)
            << (answer == platform::InstanceAnswer::Accepted ? "" : " (not accepted)") << std::endl;
  return true;
}

bool CHalvexApp::StartInstanceListener()
{
  if (m_pMainFrame == nullptr)
    return false;
  CMainFrame* frame = m_pMainFrame;
  platform::HWND window = frame->WindowHandle();
  std::string error;
  // The handler runs on the listener's thread; the listener stops before the frame goes.
  bool started = m_instanceListener.Start(
      kWindowClassName,
      [frame, window](const platform::InstanceRequest& request) {
        QMetaObject::invokeMethod(
            frame, [frame] { frame->BringForward(); }, Qt::QueuedConnection);
        if (request.kind == platform::InstanceRequest::Kind::Show)
          return true;
        platform::LRESULT result = 0;
        platform::LRESULT handled = platform::SendTextMessageTimeout(
            window, g_uOpenMessage, 0, request.path, platform::SMTO_ABORTIFHUNG, 500, &result);
        return handled != 0 && result != 0;
      },
      &error);
  if (!started)
    std::cerr << "halvex: later starts cannot reach this one: " << error << std::endl;
  return started;
}

bool CHalvexApp::LoadResourceLibraries(const QString& folder)
{
  QDir dir(folder);
  QString error;
  // No string table is loaded yet, so these two boxes carry fixed texts.
  if (!m_halvexResources.Load(dir.filePath(QStringLiteral("Halvex.lrc")), QStringLiteral("halvex"),
                              error)) {
    Prompts().Show("Halvex cannot start: " + error.toStdString(), BoxIcon::Error);
    return false;
  }
  if (!m_plinthResources.Load(dir.filePath(QStringLiteral("Plinth.lrc")), QStringLiteral("plinth"),
                              error)) {
    Prompts().Show("Halvex cannot start: " + error.toStdString(), BoxIcon::Error);
    m_halvexResources.Unload();
    return false;
  }
  // A new or emptied suite starts with the texts of the resource library.
  CTestSuite::SetInitialTexts(Strings().Get(ids::kInitialSuiteComponent),
                              Strings().Get(ids::kInitialSuitePath),
                              Strings().Get(ids::kInitialSuiteName));
  return true;
}

bool CHalvexApp::ReadRootKey(const QString& programFolder)
{
  std::string iniPath = ConfigurationIniPath(programFolder.toStdString());
  std::string rootKey;
  if (!harness::ReadRootKey(iniPath, rootKey)) {
    m_szRegistryKey.clear();
    Prompts().Show(Strings().Format(ids::kIniUnreadable, {iniPath}), BoxIcon::Error);
    return false;
  }
  SetRootKey(rootKey);
  return true;
}

void CHalvexApp::SetRootKey(const std::string& rootKey)
{
  m_szRegistryKey = rootKey;
  m_strComponentDllsKey = ComponentDllsKey(m_szRegistryKey);
  gszComponentRegistryKey = m_strComponentDllsKey;
  MakeComponentLoader();
}

void CHalvexApp::MakeComponentLoader()
{
  harness::LoaderCallbacks callbacks;
  callbacks.log = [this](unsigned level, const std::string& text) { Log(level, text); };
  callbacks.errorBox = [this](const std::string& text) { Prompts().Show(text, BoxIcon::Error); };
  callbacks.informationBox = [this](const std::string& text) {
    Prompts().Show(text, BoxIcon::Information);
  };
  // It stores the same component registry path in gszComponentRegistryKey.
  m_pComponentLoader = std::make_unique<harness::CComponentLoader>(m_szRegistryKey, callbacks);
}

bool CHalvexApp::LoadSettings()
{
  if (m_pStore == nullptr)
    return false;
  SettingsContext context{Strings(), Prompts(),
                          [this](unsigned level, const std::string& text) { Log(level, text); }};
  if (!harness::LoadSettings(m_settings, *m_pStore, m_szRegistryKey, context))
    return false;
  guiLoggingLevel = m_settings.m_nLoggingLevel;
  return true;
}

bool CHalvexApp::SaveSettings()
{
  if (m_pStore == nullptr)
    return false;
  SettingsContext context{Strings(), Prompts(),
                          [this](unsigned level, const std::string& text) { Log(level, text); }};
  m_settings.m_nLoggingLevel = guiLoggingLevel;
  return harness::SaveSettings(m_settings, *m_pStore, m_szRegistryKey, context);
}

bool CHalvexApp::CreateMainFrame()
{
  auto* frame = new CMainFrame(*this);
  if (!frame->OnCreate()) {
    delete frame;
    return false;
  }
  frame->setAttribute(Qt::WA_DeleteOnClose, false);
  m_pMainFrame = frame;
  m_logWriter.SetWindow(frame->GetLogWindow());
  m_pResultsView->SetWindow(frame->GetResultsWindow());
  return true;
}

void CHalvexApp::InitTestExecution()
{
  m_strTestExecutionKey = TestExecutionKey(m_szRegistryKey);
  m_strTestExecutionStatus =
      m_pStore ? ReadTestExecutionStatus(*m_pStore, m_szRegistryKey) : kStatusPrebootbatch;
  // The registered components load with the test cases tree, before Marlow's own load.
  if (m_pComponentLoader != nullptr)
    m_pComponentLoader->LoadComponentDlls();
  FillTestCasesTree();
  LoadMarlow();
  if (MarlowModule() != nullptr)
    FillTestCasesTree();
  m_nDosTestCases = m_strTestExecutionStatus == kStatusBatchResume ? 1 : 0;
  // No DOS run pending: what a preparation cut short (killed, power lost) left goes now.
  if (m_strTestExecutionStatus != kStatusBatchResume)
    m_dosRestart.ClearInterruptedPreparation();
}

void CHalvexApp::LoadMarlow()
{
  if (m_pComponentLoader == nullptr)
    return;
  std::string path = MarlowPath(m_settings.m_strIniFilesFolder);
  // Through the loader, so Marlow's components know their module and are released with it.
  if (m_pComponentLoader->LoadComponentDll(path, false) != nullptr)
    return;
  Log(0, Strings().Format(ids::kMarlowLoadFailed, {path, platform::LastModuleError()}));
  Prompts().Show(kMarlowLoadFailedBox, BoxIcon::Error);
  // The close request is handled once start-up has ended.
  if (m_pMainFrame != nullptr)
    QTimer::singleShot(0, m_pMainFrame, [frame = m_pMainFrame] { frame->close(); });
}

bool CHalvexApp::CheckRuntimeVersion()
{
  const std::string library = "Qt";
  const std::string version = qVersion();
  Log(1, Strings().Format(ids::kRuntimeVersion, {library, version}));
  unsigned major = 0, minor = 0;
  if (!ParseRuntimeVersion(version, major, minor)) {
    Log(1, Strings().Format(ids::kRuntimeNoVersion, {library}));
    return true;
  }
  if (RuntimeVersionSufficient(major, minor, kMinimumQtMajor, kMinimumQtMinor))
    return true;
  std::string minimum = std::to_string(kMinimumQtMajor) + "." + std::to_string(kMinimumQtMinor);
  BoxRequest request;
  request.text = Strings().Format(ids::kRuntimeTooOldFound, {library, version}) + "\n" +
                 Strings().Format(ids::kRuntimeTooOldWhy, {minimum}) + "\n" +
                 Strings().Get(ids::kRuntimeTooOldHint);
  request.icon = BoxIcon::Error;
  request.beep = true;
  Prompts().Ask(request);
  return false;
}

bool CHalvexApp::OpenDocumentFile(const std::string& path)
{
  if (m_pMainFrame == nullptr)
    return false;
  QFileInfo info(QString::fromStdString(path));
  if (!info.isFile() || !info.isReadable()) {
    const std::string text =
        FormatFileExceptionReport(Strings(), FileExceptionCause::FileNotFound, path, ENOENT);
    Log(0, text);
    Prompts().Show(text, BoxIcon::Error);
    return false;
  }
  // A second document on the same file would let two windows save over each other.
  for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList()) {
    auto* open = qobject_cast<CHalvexView*>(sub->widget());
    if (open == nullptr || open->Document().GetPathName().empty())
      continue;
    if (QFileInfo(QString::fromStdString(open->Document().GetPathName())).canonicalFilePath() ==
        info.canonicalFilePath()) {
      m_pMainFrame->MdiArea()->setActiveSubWindow(sub);
      m_pMainFrame->BringForward();
      AddToRecentFileList(info.absoluteFilePath().toStdString());
      return true;
    }
  }
  auto* window = new CHalvexView(*this);
  // The document has shown the box and logged why when the file cannot be read.
  if (!window->OpenFile(info.absoluteFilePath())) {
    delete window;
    return false;
  }
  AddToRecentFileList(info.absoluteFilePath().toStdString());
  QMdiSubWindow* sub = m_pMainFrame->MdiArea()->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  if (m_settings.m_nMaximizeDocument == 1)
    sub->showMaximized();
  else
    sub->show();
  return true;
}

void CHalvexApp::RefreshSuitesTree()
{
  if (m_pSuitesTree != nullptr)
    m_pSuitesTree->Refresh();
}

void CHalvexApp::FillTestCasesTree()
{
  if (m_pMainFrame != nullptr)
    m_pMainFrame->GetAvailableTestsWnd()->TestCasesTree()->Fill();
}

int CHalvexApp::ExecDialog(QDialog& dialog)
{
  if (!IsUnattended())
    return dialog.exec();
  std::cerr << "halvex: unattended, not shown: " << dialog.windowTitle().toStdString() << std::endl;
  return QDialog::Rejected;
}

bool CHalvexApp::ShowStartupBox(QWidget* parent)
{
  CStartupPropSheet sheet(m_halvexResources, m_settings.m_nDontShowStartupBox == 1, parent);
  if (ExecDialog(sheet) != QDialog::Accepted)
    return false;
  m_settings.m_nDontShowStartupBox = sheet.DontShow() ? 1 : 0;
  SaveSettings();
  return true;
}

void CHalvexApp::LoadRecentFiles()
{
  if (m_pStore != nullptr)
    m_recentFiles.Load(*m_pStore, m_szRegistryKey);
  RecentFilesChanged();
}

void CHalvexApp::AddToRecentFileList(const std::string& path)
{
  m_recentFiles.Add(path);
  RecentFilesChanged();
}

bool CHalvexApp::OpenRecentFile(std::size_t index)
{
  if (index >= m_recentFiles.Entries().size())
    return false;
  const std::string path = m_recentFiles.Entries()[index];
  if (OpenDocumentFile(path))
    return true;
  m_recentFiles.Remove(path);
  RecentFilesChanged();
  return false;
}

void CHalvexApp::RecentFilesChanged()
{
  // Kept at once, so a later crash does not lose it.
  if (m_pStore != nullptr && !m_szRegistryKey.empty())
    m_recentFiles.Save(*m_pStore, m_szRegistryKey);
  if (m_pMainFrame != nullptr)
    m_pMainFrame->UpdateRecentFileMenu();
}

void CHalvexApp::Log(unsigned level, const std::string& text)
{
  SendLogLine(level, text);
}

std::unique_ptr<DosRestart> CHalvexApp::MakeDosRestart()
{ // Called from the run's thread: every window is reached on the user-interface thread.
  DosBootHooks hooks;
  hooks.preparation.log = SendLogLine;
  hooks.preparation.addResultLine = [this](const std::string& line) {
    m_uiCalls.Call([&] { m_pResultsView->AppendResultLine(line); });
  };
  hooks.preparation.enableWindow = [this](bool enable) {
    m_uiCalls.Call([&] {
      if (m_pRunningView != nullptr)
        m_pRunningView->EnableWindow(enable);
    });
  };
  hooks.preparation.storeStatus = [this](const std::string& status, bool inMemory) {
    m_uiCalls.Call([&] {
      if (inMemory)
        m_strTestExecutionStatus = status;
      if (m_pStore == nullptr || !WriteTestExecutionStatus(*m_pStore, m_szRegistryKey, status))
        Log(0, kTestExecutionKeyFailed);
    });
  };
  hooks.clearModifiedFlags = [this] {
    m_uiCalls.Call([&] {
      if (m_pMainFrame != nullptr)
        for (CHalvexView* view : m_pMainFrame->SuiteWindows())
          view->Document().SetModifiedFlag(false);
    });
  };
  hooks.closeMainWindow = [this] {
    if (m_pMainFrame != nullptr)
      QMetaObject::invokeMethod(
          m_pMainFrame,
          [frame = m_pMainFrame] {
            frame->setEnabled(true);
            frame->close();
          },
          Qt::QueuedConnection);
  };
  return std::make_unique<CDosBootRestart>(DosPlaces::Current(m_settings.m_strIniFilesFolder),
                                           platform::GetPlatformFamily(),
                                           platform::GetDosMachine(m_szRegistryKey), Strings(),
                                           Prompts(), std::move(hooks), RunningProgramPath());
}

RunContext CHalvexApp::MakeRunContext(CHalvexView& view)
{
  return RunContext{m_uiCalls,
                    view,
                    m_statusOperations,
                    *m_pResultsView,
                    m_run,
                    m_nRunState,
                    m_settings,
                    Strings(),
                    m_dosRestart,
                    SendLogLine,
                    [this] { m_logWriter.ClearLog(); },
                    [this] { return MarlowModule(); },
                    [this] { return m_strTestExecutionStatus; },
                    [this](const std::string& status) {
                      m_strTestExecutionStatus = status;
                      if (m_pStore == nullptr ||
                          !WriteTestExecutionStatus(*m_pStore, m_szRegistryKey, status))
                        Log(0, kTestExecutionKeyFailed);
                    },
                    m_bRunMode,
                    [this] { OnRunFinished(); }};
}

bool CHalvexApp::StartRun(CHalvexView& view, unsigned mode)
{
  if (IsRunInProgress(m_nRunState) || m_runThread.IsRunning())
    return false;
  // Marked at once: until the worker takes over, neither a second start nor an edit of the
  // suite may come in.
  const RunState before = m_nRunState;
  m_nRunState = RunState::Running;
  view.Document().m_nDocState = kDocStateRunning;
  view.setEnabled(false);
  m_pRunningView = &view;
  CRunEngine* engine = &view.Engine();
  if (!m_runThread.Start([engine, mode] { engine->RunOnWorker(mode); },
                         [this] { PumpForRunThread(); })) {
    m_nRunState = before;
    view.Document().m_nDocState = kDocStateIdle;
    view.setEnabled(true);
    return false;
  }
  if (m_pMainFrame != nullptr)
    m_pMainFrame->UpdateCommandUI();
  return true;
}

void CHalvexApp::StopRun()
{
  if (!IsRunInProgress(m_nRunState) || m_nRunState == RunState::StopRequested)
    return;
  m_statusOperations.SetRunState(RunState::StopRequested);
  if (m_run.m_pCurrentTestCase != nullptr)
    m_run.m_pCurrentTestCase->Abort();
  if (m_pRunningView != nullptr)
    m_pRunningView->Engine().WakeUp();
}

void CHalvexApp::PauseRun()
{
  if (m_nRunState != RunState::Running)
    return;
  // The run notices after the execution in progress and shows the state then.
  m_nRunState = RunState::Paused;
  if (m_pMainFrame != nullptr)
    m_pMainFrame->UpdateCommandUI();
}

void CHalvexApp::ResumeRun()
{
  if (m_nRunState != RunState::Paused)
    return;
  m_nRunState = RunState::Running;
  if (m_pRunningView != nullptr)
    m_pRunningView->Engine().WakeUp();
  if (m_pMainFrame != nullptr)
    m_pMainFrame->UpdateCommandUI();
}

void CHalvexApp::PumpForRunThread()
{
  platform::ProcessPendingMessages();
  // Boxes the worker asks for are shown through the event loop.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CHalvexApp::JoinRunThread()
{
  m_runThread.Join([this] { PumpForRunThread(); });
}

void CHalvexApp::EndRunForExit()
{
  if (m_runThread.IsRunning()) {
    m_nRunState = RunState::StopRequested;
    if (m_run.m_pCurrentTestCase != nullptr)
      m_run.m_pCurrentTestCase->Abort();
    if (m_pRunningView != nullptr)
      m_pRunningView->Engine().WakeUp();
    // The worker's calls into this thread return at once from now on.
    m_uiCalls.Close();
  }
  JoinRunThread();
}

void CHalvexApp::OnRunFinished()
{
  const ReportPaths paths = EffectiveReportPaths(
      m_settings, ReportPaths{m_cmdInfo.m_strJUnitPath, m_cmdInfo.m_strJsonPath});
  WriteRunReports(m_runRecord.Suite(), paths, m_settings.m_nAppendToResultsFile != 0, Strings(),
                  [this](unsigned level, const std::string& text) { Log(level, text); });
}

int CHalvexApp::RunSuiteAndExit()
{
  if (m_pSuiteView == nullptr) {
    Log(0, Strings().Get(ids::kRunModeNoSuite));
    Prompts().Show(Strings().Get(ids::kRunModeNoSuite), BoxIcon::Error);
    return kExitRunModeOpenFailed;
  }
  // Progress for whoever started the run, one line per execution and a summary.
  m_runRecord.SetExecutionListener(
      [](const ExecutionRecord& execution) { std::cout << ProgressLine(execution) << std::endl; });
  m_runRecord.SetSuiteListener(
      [](const SuiteRunRecord& run) { std::cout << SummaryLine(run) << std::endl; });
  if (m_bTerminationRequested || !StartRun(*m_pSuiteView, kListNextAll))
    return kExitRunFailed;
  // The window stays live while the worker runs the suite.
  QEventLoop running;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &running, [this, &running] {
    if (!m_runThread.IsRunning())
      running.quit();
  });
  poll.start(20);
  running.exec();
  JoinRunThread();
  // The wait after the run is cut short when the system ends the harness.
  if (!m_bTerminationRequested) {
    QEventLoop ending;
    QTimer::singleShot(kRunModeEndWaitMs, &ending, &QEventLoop::quit);
    QTimer endingPoll;
    connect(&endingPoll, &QTimer::timeout, &ending, [this, &ending] {
      if (m_bTerminationRequested)
        ending.quit();
    });
    endingPoll.start(20);
    ending.exec();
  }
  return m_nRunState == RunState::Passed ? kExitOk : kExitRunFailed;
}

void CHalvexApp::OnTerminationRequest(int signalNumber)
{
  if (m_bTerminationRequested)
    return;
  m_bTerminationRequested = true;
  Log(0, kEndedBySignal + std::to_string(signalNumber));
  StopRun();
  if (m_bRunMode)
    return; // the run mode's loops see the request
  // The window ends once the run has stopped; nobody is there to answer its questions.
  auto* waitForRun = new QTimer(this);
  connect(waitForRun, &QTimer::timeout, this, [this, waitForRun] {
    if (m_runThread.IsRunning())
      return;
    waitForRun->stop();
    QCoreApplication::quit();
  });
  waitForRun->start(20);
}

void CHalvexApp::StartBatchResume()
{
  if (m_pSuiteView == nullptr) {
    Log(0, kNoSuiteForResume);
    return;
  }
  QTimer::singleShot(kBatchResumeDelayMs, this, [this] {
    if (m_pSuiteView == nullptr)
      Log(0, kNoSuiteForResume);
    else if (!StartRun(*m_pSuiteView, kListNextAll))
      Log(0, Strings().Get(ids::kResumeRunBusy));
  });
}

void CHalvexApp::ReportFileException(FileExceptionCause cause, const std::string& file, int error)
{
  m_logWriter.ReportFileException(cause, file, error);
}

void CHalvexApp::ReportArchiveException(ArchiveExceptionCause cause, const std::string& file,
                                        unsigned level)
{
  Log(level, FormatArchiveExceptionReport(Strings(), cause, file));
}

void CHalvexApp::SetRunState(RunState state)
{
  m_statusOperations.SetRunState(state);
}

void CHalvexApp::SaveBarState()
{
  auto* store = dynamic_cast<CRegistrySettingsStore*>(m_pStore);
  if (store == nullptr || m_pMainFrame == nullptr || m_szRegistryKey.empty())
    return;
  QByteArray state = m_pMainFrame->SaveBarState();
  if (store->Create(WorkspaceKey(m_szRegistryKey)) != 0)
    return;
  store->WriteBinary(kBarStateValue, std::vector<std::uint8_t>(state.begin(), state.end()));
  store->Close();
}

bool CHalvexApp::RestoreBarState()
{
  auto* store = dynamic_cast<CRegistrySettingsStore*>(m_pStore);
  if (store == nullptr || m_pMainFrame == nullptr || m_szRegistryKey.empty())
    return false;
  if (store->Open(WorkspaceKey(m_szRegistryKey)) != 0)
    return false;
  std::vector<std::uint8_t> data;
  long result = store->ReadBinary(kBarStateValue, data);
  store->Close();
  if (result != 0)
    return false;
  return m_pMainFrame->RestoreBarState(
      QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
}

int CHalvexApp::InitInstance(const QStringList& args)
{
  std::vector<std::string> arguments;
  for (const QString& arg : args.mid(1))
    arguments.push_back(arg.toStdString());
  m_cmdInfo = ParseCommandLine(arguments);
  m_bRunMode = m_cmdInfo.m_bRunMode;

  if (HandOverToRunningInstance())
    return kExitStartupFailed;

  const QString programFolder = QString::fromStdString(platform::ProgramFolder());
  if (!LoadResourceLibraries(programFolder))
    return kExitStartupFailed;
  if (!ReadRootKey(programFolder))
    return kExitStartupFailed;
  m_bWindowClassRegistered = true;

  SetDefaults();
  if (!LoadSettings())
    return kExitSettingsFailed;

  if (!CreateMainFrame())
    return kExitStartupFailed;
  LoadRecentFiles();
  RestoreBarState();
  StartInstanceListener();

  InitTestExecution();
  if (m_cmdInfo.m_bEmbedded || m_cmdInfo.m_bAutomated)
    return kRunEventLoop;

  if (!m_cmdInfo.m_strFileName.empty() && !OpenDocumentFile(m_cmdInfo.m_strFileName) &&
      m_bRunMode) {
    m_bRunMode = false;
    return kExitRunModeOpenFailed;
  }
  m_pMainFrame->showMaximized();
  if (!CheckRuntimeVersion())
    return kExitStartupFailed;
  QDir::setCurrent(QString::fromStdString(m_settings.m_strTestSuitesFolder));
  m_statusOperations.Reset(guiLoggingLevel);
  RefreshSuitesTree();
  // An unattended run (run mode, a DOS run resuming after the restart) waits for no one.
  if (m_settings.m_nDontShowStartupBox != 1 && !m_bRunMode &&
      m_strTestExecutionStatus != kStatusBatchResume)
    ShowStartupBox(m_pMainFrame);

  if (m_bRunMode)
    return RunSuiteAndExit();
  if (m_strTestExecutionStatus == kStatusBatchResume)
    StartBatchResume();
  return kRunEventLoop;
}

int CHalvexApp::ExitInstance()
{
  m_instanceListener.Stop();
  // A run that is still going (the harness was shut down by force) ends before its suite.
  EndRunForExit();
  // Suites hold test cases whose code lives in the component modules: they go first.
  if (m_pMainFrame != nullptr) {
    for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList())
      delete sub;
    m_pMainFrame->GetAvailableTestsWnd()->SuitesTree()->Clear();
    m_pMainFrame->GetAvailableTestsWnd()->TestCasesTree()->clear();
  }
  // Components go first, each module once its last component is gone; Marlow's module goes
  // after all others. The loader made every load, so it alone undoes them.
  if (m_pComponentLoader != nullptr)
    m_pComponentLoader->ReleaseComponents();
  m_logWriter.SetWindow(nullptr);
  m_pResultsView->SetWindow(nullptr);
  delete m_pMainFrame;
  m_pMainFrame = nullptr;
  m_pStatusBar = nullptr;
  m_pSuitesTree = nullptr;
  m_bWindowClassRegistered = false;
  m_plinthResources.Unload();
  m_halvexResources.Unload();
  return kExitOk;
}

} // namespace harness

namespace {

// A plug-in's box on the harness's prompts, or a line on standard error without a harness.
void ShowPluginBox(const char* text, harness::BoxIcon icon, const char* kind)
{
  if (text == nullptr)
    return;
  if (harness::CHalvexApp* app = harness::HalvexApp())
    app->Prompts().Show(text, icon);
  else
    std::cerr << "halvex: " << kind << ": " << text << "\n";
}

} // namespace

// The component plug-ins hold no windows: their error boxes before any component exists come
// here (the name is the one the plug-ins look up). Any thread.
extern "C" __attribute__((visibility("default"))) void halvex_show_stop_box(const char* text)
{
  ShowPluginBox(text, harness::BoxIcon::Error, "error");
}

// The plug-ins' plain boxes (a file error while a test case prepares its DOS run). Any thread.
extern "C" __attribute__((visibility("default"))) void halvex_show_message_box(const char* text)
{
  ShowPluginBox(text, harness::BoxIcon::Information, "note");
}
