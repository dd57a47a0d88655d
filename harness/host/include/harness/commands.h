// Command numbers of the main window and when each is enabled.
#pragma once

#include "harness/runstate.h"

namespace harness::cmd {

inline constexpr int kViewAvailableTests = 32715;
inline constexpr int kViewOutputWindow = 32703;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kViewToolBar = 59392;
inline constexpr int kEditClearResultsWindow = 32710;
inline constexpr int kEditClearLogWindow = 32712;
inline constexpr int kEditDeleteLogfile = 32708;
inline constexpr int kEditDeleteResultsfile = 32709;
inline constexpr int kViewResultsFile = 32701;
inline constexpr int kViewLogFile = 32702;
inline constexpr int kConfigureComponent = 32720;
inline constexpr int kHarnessProperties = 32713;
inline constexpr int kHelpDisplayStartupBox = 32734;
inline constexpr int kDisplayUsersGuide = 32735;
inline constexpr int kForceAppShutdown = 32728;
inline constexpr int kRefreshSuitesView = 32729;
inline constexpr int kViewItemProperties = 32731;
inline constexpr int kOpenSelectedSuite = 32733;
inline constexpr int kClearActiveTab = 32714;
inline constexpr int kAppAbout = 57664;
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kAppExit = 57665;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;

// The suite window's commands.
inline constexpr int kDeleteSelected = 32704;
inline constexpr int kDeleteAll = 32705;
inline constexpr int kRunAll = 32706;
inline constexpr int kRunSelected = 32707;
inline constexpr int kConfigureTestCase = 32721;
inline constexpr int kSetIterations = 32722;
inline constexpr int kStopRun = 32725;
inline constexpr int kPauseRun = 32726;
inline constexpr int kResumeRun = 32727;
inline constexpr int kSuiteProperties = 32732;

enum class LeftTab { None, Suites, AvailableTests };
enum class TreeItem { None, Suite, TestCase, Other };

// What the enabling rules look at.
struct CommandContext
{
  RunState runState = RunState::Idle;
  LeftTab activeTab = LeftTab::None;
  bool configMode = false; // "Configurations Set" is 0
  TreeItem selectedItem = TreeItem::None;
  bool documentOpen = false;
  bool availableTestsVisible = true;
  bool outputVisible = true;
  bool statusBarVisible = true;
  bool toolBarVisible = true;
  // The active suite window: its items, the selected ones, and whether the suite being worked
  // on holds DOS test cases.
  int suiteItems = 0;
  int selectedItems = 0;
  bool dosTestCases = false;
};

struct CommandState
{
  bool enabled = true;
  bool checked = false;
};

CommandState QueryCommandState(int command, const CommandContext& context);

} // namespace harness::cmd
