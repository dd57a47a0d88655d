// The preparation pass's end with the restart into DOS.
#include "harness/dosbootrestart.h"

#include "harness/startup.h"

#include <climits>
#include <unistd.h>

namespace harness {

namespace {

constexpr const char* kNoFloppyDrive = "Floppy Drive is not Found. Unable to Run Tests";
constexpr const char* kDebugQuestion = "DEBUG:Boot to DOS and run tests now?";
constexpr const char* kNoShutdownPrivilege = "Insuffiecient administritativ previleges";
constexpr const char* kForceQuestion =
    "Failed to shutdown/restart the system.\nDo you want to close all the running applications "
    "forcely and shutdown/restart the system to run tests?\nThis may cause the applications to "
    "lose data.";
constexpr const char* kForceFailed =
    "Failed to shutdown/restart the system. Close all the applications and restart the system "
    "to run tests";
constexpr const char* kClosing =
    "Test Harnes is being closed. Restart the system to execute DOS tests";

} // namespace

std::string RunningProgramPath()
{
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

CDosBootRestart::CDosBootRestart(DosPlaces places, platform::PlatformFamily family,
                                 platform::DosMachine machine, const StringTable& strings,
                                 UserPrompts& prompts, DosBootHooks hooks, std::string programPath)
    : m_preparation(std::move(places), family, machine, strings, prompts, hooks.preparation),
      m_prompts(prompts), m_hooks(std::move(hooks)), m_programPath(std::move(programPath))
{
}

void CDosBootRestart::RemoveRestartEntry()
{
  m_preparation.RemoveStartupEntry();
}

void CDosBootRestart::PutBackUnrunStartLines()
{
  m_preparation.PutBackUnrunStartLines();
}

void CDosBootRestart::ClearInterruptedPreparation()
{
  m_preparation.ClearInterruptedPreparation();
}

bool CDosBootRestart::Abandon()
{
  m_preparation.UndoDosPreparation();
  if (m_hooks.preparation.enableWindow)
    m_hooks.preparation.enableWindow(true);
  return false;
}

bool CDosBootRestart::AfterPreparationPass(const DosPreparation& preparation)
{
  const std::string suiteFile = m_preparation.SuiteFileForResume(preparation.suiteFilePath);
  if (preparation.suite != nullptr)
    m_preparation.SaveSuiteForResume(suiteFile, *preparation.suite);
  m_preparation.SetRestartEntry(preparation.runMode, m_programPath, suiteFile);
  // Without its start lines DOS would run nothing: no restart for that.
  if (!m_preparation.PrepareAutoexec())
    return Abandon();
  if (m_hooks.preparation.storeStatus)
    m_hooks.preparation.storeStatus(kStatusBatchResume, false);

  if (m_preparation.Family() == platform::PlatformFamily::NT) {
    std::string root;
    if (!m_preparation.FindFloppyDrive(root)) {
      if (m_hooks.preparation.log)
        m_hooks.preparation.log(0, kNoFloppyDrive);
      return Abandon();
    }
    if (!m_preparation.PrepareBootFloppy(root))
      return Abandon();
  }

  // Declining leaves everything prepared: the next start with the suite resumes.
  if (preparation.debugLevel != 0 && !m_prompts.AskYesNo(kDebugQuestion, true))
    return true;
  if (m_hooks.clearModifiedFlags)
    m_hooks.clearModifiedFlags();
  if (m_hooks.preparation.enableWindow)
    m_hooks.preparation.enableWindow(false);
  Restart();
  return true;
}

void CDosBootRestart::Restart()
{
  const LogFunction& log = m_hooks.preparation.log;
  if (m_preparation.Family() == platform::PlatformFamily::NT &&
      platform::CheckRestartPermission() != 0 && log)
    log(0, kNoShutdownPrivilege);
  if (platform::RequestMachineRestart(platform::RestartMode::Normal) == 0)
    return;
  if (m_prompts.AskYesNo(kForceQuestion, true)) {
    if (platform::RequestMachineRestart(platform::RestartMode::Force) == 0)
      return;
    m_prompts.Show(kForceFailed, BoxIcon::Warning);
  } else {
    m_prompts.Show(kClosing, BoxIcon::Warning);
  }
  if (m_hooks.closeMainWindow)
    m_hooks.closeMainWindow();
}

} // namespace harness
