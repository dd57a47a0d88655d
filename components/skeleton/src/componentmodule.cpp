// Module-wide state of a component plug-in and the attach, detach and look-up steps.
#include "skeleton/componentmodule.h"

#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/modelpropsheet.h"
#include "skeleton/stopbox.h"
#include "skeleton/strings.h"

#include "platform/modules.h"
#include "platform/profile.h"
#include "platform/regkey.h"

#include <algorithm>
#include <dlfcn.h>
#include <new>
#include <strings.h>

namespace components {

namespace {

struct ModuleState
{
  std::vector<CModelComponent*> ownComponents;
  CModelComponent* pCurrentComponent = nullptr;
  std::string harnessIniPath;
};

ModuleState& State()
{
  static ModuleState state;
  return state;
}

constexpr std::size_t kRootKeyLength = 260;

void TakeOutOfComponentList(CComponent* pComponent)
{
  _ComponentList.remove(pComponent);
}

} // namespace

std::string ThisModulePath()
{
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ThisModulePath), &info) == 0 ||
      info.dli_fname == nullptr)
    return {};
  // Only the program itself is named as it was started; modules carry their full path.
  if (info.dli_fname[0] != '/')
    return platform::ProgramFileName();
  return info.dli_fname;
}

std::vector<CModelComponent*>& OwnComponents()
{
  return State().ownComponents;
}

CModelComponent* GetCurrentComponent()
{
  return State().pCurrentComponent;
}

void SetCurrentComponent(CModelComponent* pComponent)
{
  State().pCurrentComponent = pComponent;
}

bool BeginAttach(const char* displayName)
{
  CModelPropSheet::KeepWindowLibrariesLoaded();
  const std::string path = ThisModulePath();
  LogMessage(kLogProgress, FormatText("The %s Component Dll is now loading.", path.c_str()));
  if (path.empty()) {
    LogMessage(kLogError,
               FormatText("ERROR: Unable to initialize the %s component dll.", displayName));
    return false;
  }
  return true;
}

bool RegisterComponent(CModelComponent* pComponent)
{
  const char* errorText = nullptr;
  if (pComponent->CreateDefaultRegistryEntry() != 1)
    errorText = "ERROR: Unable to create a default registry entry for the %s Component.";
  else if (pComponent->ReadModelFromRegistry() != 1)
    errorText = "ERROR: Unable to read registry data for the current %s Component model.";
  else if (pComponent->AddToComponentList() != 1)
    errorText = "ERROR: Unable to add the %s Component DLL to the global Component list.";
  if (errorText != nullptr) {
    LogMessage(kLogError, FormatText(errorText, pComponent->GetClassName().c_str()));
    TakeOutOfComponentList(pComponent);
    delete pComponent;
    return false;
  }
  if (pComponent->InitComponent() != 1) {
    // It is in _ComponentList by now; a deleted component must not stay there.
    TakeOutOfComponentList(pComponent);
    delete pComponent;
    return false;
  }
  State().ownComponents.push_back(pComponent);
  LogMessage(kLogProgress, FormatText("The %s Component DLL was successfully loaded.",
                                      pComponent->GetClassName().c_str()));
  return true;
}

void WithdrawComponents()
{
  // Each destructor takes its component off the own list.
  auto& own = State().ownComponents;
  while (!own.empty()) {
    CModelComponent* pComponent = own.back();
    TakeOutOfComponentList(pComponent);
    delete pComponent;
  }
  State().pCurrentComponent = nullptr;
}

int RunAttach(const char* displayName, bool (*attach)())
{
  // Nothing may leave the module as an exception; running out of memory fails the attach.
  bool attached = false;
  try {
    attached = attach();
  } catch (const std::bad_alloc&) {
    LogMessage(kLogError,
               FormatText("ERROR: Unable to allocate the %s Component object.", displayName));
  } catch (...) {
    LogMessage(kLogError, FormatText("ERROR: Unable to initialize the %s component dll.",
                                     ThisModulePath().c_str()));
  }
  if (attached)
    return 1;
  // The module is unloaded after a failed attach; nothing it registered may stay behind.
  WithdrawComponents();
  return 0;
}

void EndDetach()
{
  // Whatever the harness deleted has left the own list already; what is left here would
  // outlive the module's code.
  WithdrawComponents();
}

CComponent* FindComponent(const std::string& className)
{
  for (CModelComponent* pComponent : State().ownComponents) {
    if (pComponent == nullptr) {
      SendLogText(LoadComponentString(kIdsNullComponent));
      continue;
    }
    if (!pComponent->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
      SendLogText(LoadComponentString(kIdsInvalidComponent));
      continue;
    }
    if (strcasecmp(pComponent->GetClassName().c_str(), className.c_str()) == 0)
      return pComponent;
  }
  return nullptr;
}

std::string HarnessIniPath()
{
  if (!State().harnessIniPath.empty())
    return State().harnessIniPath;
  return platform::ProgramFolder() + "/" + LoadComponentString(kIdsHarnessIniFile);
}

void SetHarnessIniPath(const std::string& path)
{
  State().harnessIniPath = path;
}

std::string ReadHarnessRootKey()
{
  std::string key = platform::ReadProfileString(HarnessIniPath(), "General", "RegistryKey", "");
  if (key.size() >= kRootKeyLength)
    key.resize(kRootKeyLength - 1);
  return key;
}

bool GetIniFolder(std::string& folder)
{
  const std::string iniPath = HarnessIniPath();
  const std::string rootKey = ReadHarnessRootKey();
  if (rootKey.empty()) {
    ShowStopBox(FormatMessageText(LoadComponentString(kIdsIniFileUnreadable), {iniPath}));
    return false;
  }
  CRegKey key(CRegKey::ReadFailure::EmptyText);
  platform::LONG result = key.Open(platform::HKEY_LOCAL_MACHINE, rootKey);
  if (result != platform::ERROR_SUCCESS) {
    ShowStopBox(FormatMessageText(LoadComponentString(kIdsRegistryKeyUnreadable),
                                  {rootKey, std::to_string(result)}));
    return false;
  }
  std::string installationFolder;
  result = key.ReadString("InstallationFolder", installationFolder);
  if (result != platform::ERROR_SUCCESS) {
    ShowStopBox(FormatMessageText(LoadComponentString(kIdsRegistryKeyUnreadable),
                                  {"InstallationFolder", std::to_string(result)}));
    return false;
  }
  std::string iniFilesFolder;
  // An empty value would make the search run in the file system's root.
  if (key.ReadString("INIFilesFolder", iniFilesFolder) == platform::ERROR_SUCCESS &&
      !iniFilesFolder.empty())
    folder = iniFilesFolder;
  else
    folder = installationFolder + "/test/bin/";
  return true;
}

} // namespace components
