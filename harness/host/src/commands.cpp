// Enabling rules of the main window's commands.
#include "harness/commands.h"

#include "harness/runstate.h"

namespace harness::cmd {

namespace {

bool ViewItemPropertiesEnabled(const CommandContext& c)
{
  if (c.activeTab == LeftTab::None)
    return false;
  if (IsRunning(c.runState))
    return false;
  if (c.activeTab == LeftTab::AvailableTests)
    return c.configMode;
  if (c.selectedItem == TreeItem::None)
    return false;
  if (c.selectedItem == TreeItem::Suite)
    return true;
  if (c.selectedItem == TreeItem::TestCase && !c.configMode)
    return false;
  return true;
}

} // namespace

CommandState QueryCommandState(int command, const CommandContext& c)
{
  const bool notRunning = !IsRunning(c.runState);
  const bool noRun = !IsRunInProgress(c.runState);
  switch (command) {
  case kDeleteSelected:
  case kSetIterations:
    return {c.documentOpen && c.selectedItems >= 1 && noRun, false};
  case kDeleteAll:
  case kRunAll:
    return {c.documentOpen && c.suiteItems >= 1 && noRun, false};
  case kRunSelected:
    return {c.documentOpen && c.selectedItems >= 1 && noRun && !c.dosTestCases, false};
  case kConfigureTestCase:
    return {c.documentOpen && c.selectedItems == 1 && noRun && c.configMode, false};
  case kStopRun:
    return {c.runState == RunState::Running || c.runState == RunState::Paused, false};
  case kPauseRun:
    return {c.runState == RunState::Running, false};
  case kResumeRun:
    return {c.runState == RunState::Paused, false};
  case kSuiteProperties:
    return {c.documentOpen && notRunning, false};
  case kFilePrint:
  case kFilePrintDirect:
  case kFilePrintPreview:
    return {c.documentOpen, false};
  case kViewAvailableTests:
    return {true, c.availableTestsVisible};
  case kViewOutputWindow:
    return {true, c.outputVisible};
  case kViewStatusBar:
    return {true, c.statusBarVisible};
  case kViewToolBar:
    return {true, c.toolBarVisible};
  case kEditDeleteLogfile:
  case kEditDeleteResultsfile:
  case kConfigureComponent:
  case kHarnessProperties:
  case kHelpDisplayStartupBox:
  case kAppAbout:
  case kFileOpen:
    return {notRunning, false};
  case kFileSave:
  case kFileSaveAs:
    return {notRunning && c.documentOpen, false};
  case kFileClose:
    return {c.documentOpen, false};
  case kRefreshSuitesView:
    return {c.activeTab == LeftTab::Suites, false};
  case kViewItemProperties:
    return {ViewItemPropertiesEnabled(c), false};
  case kOpenSelectedSuite:
    return {c.activeTab == LeftTab::Suites && notRunning && c.selectedItem == TreeItem::Suite,
            false};
  default:
    return {true, false};
  }
}

} // namespace harness::cmd
