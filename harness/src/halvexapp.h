// The application object: start-up sequence, settings, the log, run state and exit.
#pragma once

#include "harness/commandline.h"
#include "harness/componentloader.h"
#include "harness/dosbootrestart.h"
#include "harness/fileexception.h"
#include "harness/logwriter.h"
#include "harness/recentfilelist.h"
#include "harness/registrystore.h"
#include "harness/resultsview.h"
#include "harness/runbookkeeping.h"
#include "harness/runengine.h"
#include "harness/runrecord.h"
#include "harness/runreports.h"
#include "harness/runstate.h"
#include "harness/runstatusbar.h"
#include "harness/runworker.h"
#include "harness/settings.h"
#include "harness/uicalls.h"
#include "platform/instance.h"
#include "platform/modules.h"
#include "resourcelibrary.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <string>

class QDialog;
class QWidget;

namespace harness {

class CHalvexView;
class CMainFrame;
class COurStatusBar;
class CQtDispatcher;
class CQtPrompts;
class CTestSuitesTree;

// One per process, created and used on the user-interface thread. Other threads reach it
// only through Log(), the prompts and the run state; a run's worker reaches everything else
// through the user-interface calls.
class CHalvexApp : public QObject
{
  Q_OBJECT

public:
  // Returned by InitInstance when the event loop is to run.
  static constexpr int kRunEventLoop = -1;

  CHalvexApp();
  ~CHalvexApp() override;

  // The start-up sequence; kRunEventLoop, or the exit code the program ends with.
  int InitInstance(const QStringList& args);
  // The exit sequence; returns the exit code.
  int ExitInstance();

  // Steps of the start-up, in their order; public so tests can drive them one by one.
  // Single instance: true when another instance runs; it was handed the file, or asked to come
  // forward, and this one is to end.
  bool HandOverToRunningInstance();
  bool LoadResourceLibraries(const QString& folder);
  bool ReadRootKey(const QString& programFolder);
  // The root key below HKEY_LOCAL_MACHINE, the component registry below it and the loader.
  void SetRootKey(const std::string& rootKey);
  void SetDefaults() { m_settings.SetDefaults(); }
  bool LoadSettings();
  bool SaveSettings();
  bool CreateMainFrame();
  // Listens for later starts of the program; false when the socket cannot be made.
  bool StartInstanceListener();
  void InitTestExecution();
  bool CheckRuntimeVersion();

  // Opens a suite file in a window of its own, or brings the window forward that has it open
  // already; false (after a box and a log line) when it cannot be read.
  bool OpenDocumentFile(const std::string& path);

  // The left bar's trees: the suites folder read again, the components listed again.
  void RefreshSuitesTree();
  void FillTestCasesTree();

  // The start-up box; on OK its check box becomes DontShowStartupBox and the settings are
  // saved. True when OK was pressed.
  bool ShowStartupBox(QWidget* parent);

  // Runs a modal dialog and returns its result. An unattended run shows none: it says so on
  // standard error and takes Rejected.
  int ExecDialog(QDialog& dialog);

  SettingsStore& Store() { return *m_pStore; }

  // Runs. StartRun starts the worker thread that runs the view's items (kListNextAll or
  // kListNextSelected); false when a run is on its way. The commands act on the run in progress.
  bool StartRun(CHalvexView& view, unsigned mode);
  void StopRun();
  void PauseRun();
  void ResumeRun();
  // Whether the worker thread of the last run still works.
  bool IsRunThreadWorking() const { return m_runThread.IsRunning(); }
  // Waits for the worker thread to end, answering its calls meanwhile.
  void JoinRunThread();
  // What a suite window's run works with.
  RunContext MakeRunContext(CHalvexView& view);
  // Ends a run at exit: stop requested, the test case aborted, the worker joined.
  void EndRunForExit();
  // Run mode: the suite of the registered view, progress on standard output, the exit code.
  int RunSuiteAndExit();
  // A shut-down or an interrupt: the run stops as the Stop command stops it, then the harness
  // ends; run mode ends with the run's exit code.
  void OnTerminationRequest(int signalNumber);

  // The File menu's recent files, kept in the settings store at every change.
  const CRecentFileList& RecentFiles() const { return m_recentFiles; }
  void LoadRecentFiles();
  void AddToRecentFileList(const std::string& path);
  // Opens entry `index`; an entry that cannot be opened leaves the list.
  bool OpenRecentFile(std::size_t index);

  // A log line at `level`, sent to the main window from any thread (dropped when the
  // user-interface thread does not take it within 500 ms).
  void Log(unsigned level, const std::string& text);
  // A file or archive failure as a line of the log window (file) or a log line (archive).
  void ReportFileException(FileExceptionCause cause, const std::string& file, int error);
  void ReportArchiveException(ArchiveExceptionCause cause, const std::string& file, unsigned level);
  // Run state, shown by the status panel; user-interface thread only.
  void SetRunState(RunState state);

  CResultsView& ResultsView() { return *m_pResultsView; }
  CRunStatusBar& StatusOperations() { return m_statusOperations; }
  CRunRecord& RunRecord() { return m_runRecord; }

  const StringTable& Strings() const { return m_halvexResources.Strings(); }
  // The base library's texts ("Plinth.lrc").
  const StringTable& PlinthStrings() const { return m_plinthResources.Strings(); }
  const CResourceLibrary& HalvexResources() const { return m_halvexResources; }
  CLogWriter& LogWriter() { return m_logWriter; }
  UserPrompts& Prompts();
  CQtPrompts& QtPrompts() { return *m_pPrompts; }

  // The bar layout and window geometry in the registry.
  void SaveBarState();
  bool RestoreBarState();

  CHarnessSettings m_settings;
  CommandLineInfo m_cmdInfo;
  bool m_bRunMode = false;
  bool m_bTerminationRequested = false;
  // Written by the status operations and the pause and resume commands, read by the run's
  // worker.
  std::atomic<RunState> m_nRunState{RunState::Idle};
  CRunBookkeeping m_run;
  std::string m_szRegistryKey;
  std::string m_strComponentDllsKey;
  std::string m_strTestExecutionKey;
  std::string m_strTestExecutionStatus;
  int m_nDosTestCases = 0;
  bool m_bWindowClassRegistered = false;
  CMainFrame* m_pMainFrame = nullptr;
  COurStatusBar* m_pStatusBar = nullptr;
  CTestSuitesTree* m_pSuitesTree = nullptr;
  // The General page's note: kept while the harness runs, never stored.
  std::string m_strHarnessNote;
  // The suite window run mode and the resume after a DOS run use: the last one made.
  QPointer<CHalvexView> m_pSuiteView;

  // The component plug-ins: made once the root key is known; null before.
  harness::CComponentLoader* ComponentLoader() { return m_pComponentLoader.get(); }
  // Marlow's module, whichever way it was loaded; null while it is not.
  platform::HMODULE MarlowModule() const
  {
    return m_pComponentLoader != nullptr ? m_pComponentLoader->GetMarlowModule() : nullptr;
  }

private:
  void LoadMarlow();
  void MakeComponentLoader();
  void OnRunFinished();
  void PumpForRunThread();
  void StartBatchResume();
  std::unique_ptr<DosRestart> MakeDosRestart();

  CResourceLibrary m_halvexResources;
  CResourceLibrary m_plinthResources;
  std::unique_ptr<CQtPrompts> m_pPrompts;
  std::unique_ptr<CQtDispatcher> m_pDispatcher;
  CLogWriter m_logWriter;
  CRegistrySettingsStore m_registryStore;
  SettingsStore* m_pStore = &m_registryStore;
  platform::InstanceListener m_instanceListener;
  std::unique_ptr<harness::CComponentLoader> m_pComponentLoader;
  CRecentFileList m_recentFiles;
  CRunStatusBar m_statusOperations;
  std::unique_ptr<CResultsView> m_pResultsView;
  CRunRecord m_runRecord;
  CUiCalls m_uiCalls;
  // The restart into DOS, made when a run first needs it.
  CDeferredDosRestart m_dosRestart;
  CRunWorker m_runThread;
  // The suite window whose run is in progress or ran last.
  QPointer<CHalvexView> m_pRunningView;

  void RecentFilesChanged();
};

// The application object of this process, or nullptr before it is made.
CHalvexApp* HalvexApp();

} // namespace harness
