// The main window: suite windows in a multi-document area, the tool bar, the status panel,
// the workspace bar on the left, the output bar at the bottom, and the frame's commands.
#pragma once

#include "harness/commands.h"
#include "harness/ntlogentry.h"
#include "platform/messages.h"
#include "plinth/ntlogentry.h"

#include <QMainWindow>
#include <QMap>
#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QMdiArea;
class QToolBar;

namespace harness {

class CHalvexView;
class CResultsView;

class CAvailableTestsWnd;
class CHalvexApp;
class CLimitedEdit;
class CMessagesWnd;
class COurStatusBar;
class CGuideWindow;

// The message parameters as they travel.
using MsgWParam = std::uintptr_t;
using MsgLParam = std::intptr_t;
using MsgResult = std::intptr_t;

// User-interface thread only.
class CMainFrame : public QMainWindow
{
  Q_OBJECT

public:
  explicit CMainFrame(CHalvexApp& app);
  ~CMainFrame() override;

  // Builds the bars; false when one cannot be made.
  bool OnCreate();

  COurStatusBar* GetStatusBar() const { return m_pStatusBar; }
  CResultsView* GetResultsVw() const;
  CLimitedEdit* GetResultsWindow() const;
  CLimitedEdit* GetLogWindow() const;
  CAvailableTestsWnd* GetAvailableTestsWnd() const { return m_pAvailableTests; }
  CMessagesWnd* GetMessagesWnd() const { return m_pOutput; }
  QToolBar* GetToolBar() const { return m_pToolBar; }
  QMdiArea* MdiArea() const { return m_pMdiArea; }
  QAction* Action(int command) const { return m_actions.value(command, nullptr); }
  // The suite window of the active document window, or null.
  CHalvexView* ActiveSuiteWindow() const;

  // The five registered messages.
  MsgResult OnLogMessage(MsgWParam wParam, MsgLParam lParam);
  MsgResult OnTestConditionsMsg(MsgWParam wParam, MsgLParam lParam);
  MsgResult OnTestResultsMsg(MsgWParam wParam, MsgLParam lParam);
  MsgResult OnTestNtLogMsg(MsgWParam wParam, MsgLParam lParam);
  MsgResult OnOpenMsg(MsgWParam wParam, MsgLParam lParam);

  // Commands.
  void OnFileNew();
  // The suite window's commands go to the active suite window; the run commands to the run.
  void ForwardToSuiteWindow(void (CHalvexView::*command)());
  void OnFileOpen();
  // The components dialog.
  void OnConfigureComponent();
  // "Add component": the file dialog in the component folder, then AddComponentFile; true
  // when a new module was loaded.
  bool AddComponent();
  bool AddComponentFile(const std::string& path);
  // The File menu's recent-file entries from the application's list.
  void UpdateRecentFileMenu();
  const QList<QAction*>& RecentFileActions() const { return m_recentFileActions; }
  // Reads "Configurations Set" again; the enabling rules use what was read last.
  void RefreshConfigMode();
  bool IsConfigMode() const { return m_bConfigMode; }
  void OnViewAvailableTests();
  void OnViewOutputwindow();
  void OnViewStatusBar();
  void OnEditClearResultsWindow();
  void OnEditClearLogWindow();
  void OnEditDeleteLogfile();
  void OnEditDeleteResultsfile();
  void OnViewResultsFile();
  void OnViewLogFile();
  void OnDisplayUsersGuide();
  void OnForceAppShutdown();
  void OnAppAbout();
  // The end of the session: false refuses it.
  bool OnQueryEndSession();

  // What the enabling rules look at now, and the rules applied to every command.
  cmd::CommandContext CommandContext() const;
  void UpdateCommandUI();

  // Bar layout and window geometry, as saved in the registry.
  QByteArray SaveBarState() const;
  bool RestoreBarState(const QByteArray& state);

  CGuideWindow* GuideWindow() const { return m_pGuide; }
  // The frame's window in the platform's message layer; the main window of the
  // user-interface thread and of the threads the harness starts.
  platform::HWND WindowHandle() const { return m_hWnd; }
  // Comes forward: restored when minimised, raised and activated.
  void BringForward();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  MsgResult WindowProc(platform::UINT message, MsgWParam wParam, MsgLParam lParam);
  void CreateActions();
  void CreateMenus();
  QAction* AddAction(int command, void (CMainFrame::*handler)(), const QString& icon = {});
  QAction* AddAction(int command, std::function<void()> handler, const QString& icon = {});
  // A command whose dialog or window comes with a later part of the harness.
  QAction* AddLater(int command, const QString& icon = {});
  void NotAvailable(int command);
  bool StartViewer(const std::string& file, int failureText);

  CHalvexApp& m_app;
  QMdiArea* m_pMdiArea = nullptr;
  QToolBar* m_pToolBar = nullptr;
  CMessagesWnd* m_pOutput = nullptr;
  COurStatusBar* m_pStatusBar = nullptr;
  CAvailableTestsWnd* m_pAvailableTests = nullptr;
  CGuideWindow* m_pGuide = nullptr;
  QMap<int, QAction*> m_actions;
  bool m_bForceClose = false;
  bool m_bConfigMode = false;
  QMenu* m_pFileMenu = nullptr;
  QAction* m_pRecentSeparator = nullptr;
  QList<QAction*> m_recentFileActions;
  platform::HWND m_hWnd = nullptr;
};

} // namespace harness
