// The application object.
#include "halvexapp.h"

#include "harness/logfile.h"
#include "harness/runstate.h"
#include "harness/startup.h"
#include "harness/stringids.h"
#include "limitededit.h"
#include "mainframe.h"
#include "ourstatusbar.h"
#include "qtprompts.h"
#include "suitewindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QThread>
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
      m_logWriter(m_settings, m_halvexResources.Strings(), *m_pPrompts)
{
  g_pApp = this;
  m_settings.SetDefaults();
  m_logWriter.SetSaveSettings([this] { SaveSettings(); });
}

CHalvexApp::~CHalvexApp()
{
  m_logWriter.SetWindow(nullptr);
  if (g_pApp == this)
    g_pApp = nullptr;
}

UserPrompts& CHalvexApp::Prompts()
{
  return *m_pPrompts;
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
  return true;
}

bool CHalvexApp::ReadRootKey(const QString& programFolder)
{
  std::string iniPath = ConfigurationIniPath(programFolder.toStdString());
  QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
  m_szRegistryKey =
      ini.value(QStringLiteral("General/RegistryKey")).toString().trimmed().toStdString();
  if (m_szRegistryKey.size() > 259)
    m_szRegistryKey.resize(259);
  if (m_szRegistryKey.empty()) {
    Prompts().Show(Strings().Format(ids::kIniUnreadable, {iniPath}), BoxIcon::Error);
    return false;
  }
  m_strComponentDllsKey = ComponentDllsKey(m_szRegistryKey);
  return true;
}

bool CHalvexApp::LoadSettings()
{
  if (m_pStore == nullptr)
    return false;
  SettingsContext context{Strings(), Prompts(),
                          [this](unsigned level, const std::string& text) { Log(level, text); }};
  return harness::LoadSettings(m_settings, *m_pStore, m_szRegistryKey, context);
}

bool CHalvexApp::SaveSettings()
{
  if (m_pStore == nullptr)
    return false;
  SettingsContext context{Strings(), Prompts(),
                          [this](unsigned level, const std::string& text) { Log(level, text); }};
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
  return true;
}

void CHalvexApp::InitTestExecution()
{
  m_strTestExecutionKey = TestExecutionKey(m_szRegistryKey);
  m_strTestExecutionStatus =
      m_pStore ? ReadTestExecutionStatus(*m_pStore, m_szRegistryKey) : kStatusPrebootbatch;
  LoadMarlow();
  m_nDosTestCases = m_strTestExecutionStatus == kStatusBatchResume ? 1 : 0;
}

void CHalvexApp::LoadMarlow()
{
  std::string path = MarlowPath(m_settings.m_strIniFilesFolder);
  std::string so = path.substr(0, path.size() - 4) + ".so";
  m_bMarlowLoaded = false;
  if (!FileExists(so)) {
    Log(0, Strings().Format(ids::kMarlowLoadFailed, {path, "file not found"}));
    Prompts().Show(kMarlowLoadFailedBox, BoxIcon::Error);
    // The harness closes once start-up has ended.
    if (m_pMainFrame != nullptr)
      QTimer::singleShot(0, m_pMainFrame, [frame = m_pMainFrame] { frame->close(); });
  }
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
    Log(0, FormatFileExceptionReport(Strings(), FileExceptionCause::FileNotFound, path, ENOENT));
    return false;
  }
  auto* window = new CSuiteWindow(info.absoluteFilePath());
  QMdiSubWindow* sub = m_pMainFrame->MdiArea()->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  if (m_settings.m_nMaximizeDocument == 1)
    sub->showMaximized();
  else
    sub->show();
  return true;
}

void CHalvexApp::Log(unsigned level, const std::string& text)
{
  if (QThread::currentThread() == thread()) {
    m_logWriter.OnLogLine(level, text);
    return;
  }
  QMetaObject::invokeMethod(
      this, [this, level, text] { m_logWriter.OnLogLine(level, text); }, Qt::QueuedConnection);
}

void CHalvexApp::SetRunState(int state)
{
  if (m_pStatusBar != nullptr)
    m_pStatusBar->SetRunState(state);
  else
    m_nRunState = state;
}

int CHalvexApp::InitInstance(const QStringList& args)
{
  std::vector<std::string> arguments;
  for (const QString& arg : args.mid(1))
    arguments.push_back(arg.toStdString());
  m_cmdInfo = ParseCommandLine(arguments);
  m_bRunMode = m_cmdInfo.m_bRunMode;

  const QString programFolder = QCoreApplication::applicationDirPath();
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
  m_pStatusBar->Reset(m_settings.m_nLoggingLevel);

  if (m_bRunMode) {
    // Running a suite needs the suite view, which comes with a later part of the harness.
    QThread::msleep(3000);
    return kExitOk;
  }
  if (m_strTestExecutionStatus == kStatusBatchResume)
    Log(0, kNoSuiteForResume);
  return kRunEventLoop;
}

int CHalvexApp::ExitInstance()
{
  m_logWriter.SetWindow(nullptr);
  delete m_pMainFrame;
  m_pMainFrame = nullptr;
  m_pStatusBar = nullptr;
  m_bWindowClassRegistered = false;
  m_plinthResources.Unload();
  m_halvexResources.Unload();
  return kExitOk;
}

} // namespace harness
