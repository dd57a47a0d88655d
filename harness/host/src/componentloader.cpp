// The component registry walk, look-ups, current models and the release at exit.
#include "harness/componentloader.h"

#include "plinth/component.h"

#include "platform/regkey.h"

#include <algorithm>
#include <strings.h>
#include <unordered_set>

namespace harness {

namespace {

using platform::ERROR_SUCCESS;
using platform::HKEY_LOCAL_MACHINE;
using platform::LONG;

constexpr unsigned int kLevelError = 0;
constexpr platform::DWORD kSubKeyNameSize = 256;

std::string RegistryErrorText(const std::string& keyOrValue, LONG error)
{
  return "Registry error: " + keyOrValue + " (error " + std::to_string(error) + ").";
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

} // namespace

bool IsMarlowPath(const std::string& path)
{
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0)
    name.resize(dot);
  return EqualIgnoringCase(name, "Marlow");
}

CComponentLoader::CComponentLoader(const std::string& rootKeyPath, LoaderCallbacks callbacks)
    : m_strRootKey(rootKeyPath), m_strComponentDllsKey(rootKeyPath + "\\ComponentDlls"),
      m_callbacks(std::move(callbacks))
{
  gszComponentRegistryKey = m_strComponentDllsKey;
}

CComponentLoader::~CComponentLoader()
{
  ReleaseComponents();
}

void CComponentLoader::Log(unsigned int level, const std::string& text) const
{
  if (m_callbacks.log)
    m_callbacks.log(level, text);
}

void CComponentLoader::ErrorBox(const std::string& text) const
{
  if (m_callbacks.errorBox)
    m_callbacks.errorBox(text);
}

bool CComponentLoader::LoadComponentDlls()
{
  CRegKey dlls;
  LONG result = dlls.Open(HKEY_LOCAL_MACHINE, m_strComponentDllsKey);
  if (result != ERROR_SUCCESS) {
    const std::string text = RegistryErrorText(m_strComponentDllsKey, result);
    Log(kLevelError, text);
    ErrorBox(text);
    return false;
  }
  for (platform::DWORD index = 0;; ++index) {
    char name[kSubKeyNameSize];
    platform::DWORD nameSize = kSubKeyNameSize;
    result = platform::RegEnumKeyEx(dlls, index, name, &nameSize, nullptr, nullptr, nullptr);
    if (result == platform::ERROR_NO_MORE_ITEMS)
      break;
    if (result != ERROR_SUCCESS) {
      Log(kLevelError, RegistryErrorText(m_strComponentDllsKey, result));
      return false;
    }
    const std::string subKeyName(name, nameSize);
    CRegKey subKey;
    result = subKey.Open(dlls, subKeyName);
    if (result != ERROR_SUCCESS) {
      Log(kLevelError, RegistryErrorText(subKeyName, result));
      return false;
    }
    platform::DWORD enabled = 1;
    result = subKey.ReadDword("EnableDll", enabled);
    if (result != ERROR_SUCCESS) {
      Log(kLevelError, RegistryErrorText("EnableDll", result));
      enabled = 1;
    }
    if (enabled == 0)
      continue;
    std::string dllPath;
    result = subKey.ReadString("DllPath", dllPath);
    if (result != ERROR_SUCCESS) {
      Log(kLevelError, RegistryErrorText("DllPath", result));
      return false;
    }
    subKey.Close();
    // Listed under two sub-keys, or loaded already by hand.
    if (FindComponentByModule(dllPath) != nullptr)
      continue;
    LoadComponentDll(dllPath);
  }
  return true;
}

platform::HMODULE CComponentLoader::LoadComponentDll(const std::string& path, bool logFailure)
{
  const std::unordered_set<CComponent*> before(_ComponentList.begin(), _ComponentList.end());
  platform::HMODULE module = platform::LoadLibrary(path);
  if (module == nullptr) {
    if (logFailure)
      Log(kLevelError,
          "The component DLL " + path + " could not be loaded: " + platform::LastModuleError());
    return nullptr;
  }
  m_loadedModules.push_back(module);
  if (m_hMarlow == nullptr && IsMarlowPath(path))
    m_hMarlow = module;
  // The plug-in cannot know its own handle while it attaches; the components it added carry
  // it from here on, so they can be released with their module.
  for (CComponent* pComponent : _ComponentList)
    if (pComponent != nullptr && before.count(pComponent) == 0 &&
        pComponent->m_hInstance == nullptr)
      pComponent->m_hInstance = module;
  return module;
}

bool CComponentLoader::GetComponentDllFolder(std::string& folder)
{
  CRegKey root;
  LONG result = root.Open(HKEY_LOCAL_MACHINE, m_strRootKey);
  if (result != ERROR_SUCCESS) {
    const std::string text = RegistryErrorText(m_strRootKey, result);
    Log(kLevelError, text);
    ErrorBox(text);
    return false;
  }
  result = root.ReadString("ComponentDllFolder", folder);
  if (result != ERROR_SUCCESS) {
    Log(kLevelError, RegistryErrorText("ComponentDllFolder", result));
    folder.clear();
    root.ReadString("InstallationFolder", folder);
  }
  return true;
}

CComponentLoader::AddResult CComponentLoader::AddComponentDll(const std::string& path)
{
  if (FindComponentByModule(path) != nullptr) {
    if (m_callbacks.informationBox)
      m_callbacks.informationBox("The component " + path + " is loaded already.");
    return AddResult::AlreadyLoaded;
  }
  return LoadComponentDll(path) != nullptr ? AddResult::Added : AddResult::Failed;
}

bool CComponentLoader::IsValidEntry(const CComponent* pComponent) const
{
  if (pComponent == nullptr) {
    Log(kLevelError, "The component list holds an empty entry.");
    return false;
  }
  if (!pComponent->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
    Log(kLevelError, "The component list holds an entry that is not a component.");
    return false;
  }
  return true;
}

CComponent* CComponentLoader::FindComponentByModule(const std::string& path) const
{
  for (CComponent* pComponent : _ComponentList)
    if (IsValidEntry(pComponent) && EqualIgnoringCase(pComponent->GetModuleName(), path))
      return pComponent;
  return nullptr;
}

CComponent* CComponentLoader::FindComponentByClass(const std::string& className) const
{
  for (CComponent* pComponent : _ComponentList)
    if (IsValidEntry(pComponent) && EqualIgnoringCase(pComponent->GetClassName(), className))
      return pComponent;
  return nullptr;
}

bool CComponentLoader::GetCurrentModel(const std::string& className, std::string& model) const
{
  const std::string keyPath = m_strComponentDllsKey + "\\" + className;
  CRegKey key;
  LONG result = key.Open(HKEY_LOCAL_MACHINE, keyPath);
  if (result != ERROR_SUCCESS) {
    Log(kLevelError, RegistryErrorText(keyPath, result));
    return false;
  }
  result = key.ReadString("CurrentModel", model);
  if (result != ERROR_SUCCESS) {
    Log(kLevelError, RegistryErrorText("CurrentModel", result));
    return false;
  }
  return true;
}

bool CComponentLoader::SetCurrentModel(const std::string& className, const std::string& model) const
{
  const std::string keyPath = m_strComponentDllsKey + "\\" + className;
  CRegKey key;
  LONG result = key.Open(HKEY_LOCAL_MACHINE, keyPath);
  if (result != ERROR_SUCCESS) {
    Log(kLevelError, RegistryErrorText(keyPath, result));
    return false;
  }
  result = key.WriteString("CurrentModel", model);
  if (result != ERROR_SUCCESS) {
    const std::string text = RegistryErrorText("CurrentModel", result);
    Log(kLevelError, text);
    ErrorBox(text);
    return false;
  }
  return true;
}

bool CComponentLoader::IsConfigMode() const
{
  CRegKey root;
  LONG result = root.Open(HKEY_LOCAL_MACHINE, m_strRootKey);
  if (result != ERROR_SUCCESS) {
    const std::string text = RegistryErrorText(m_strRootKey, result);
    Log(kLevelError, text);
    ErrorBox(text);
    return false;
  }
  platform::DWORD configurationsSet = 0;
  result = root.ReadDword("Configurations Set", configurationsSet);
  if (result != ERROR_SUCCESS) {
    Log(kLevelError, RegistryErrorText("Configurations Set", result));
    return false;
  }
  return configurationsSet == 0;
}

void CComponentLoader::FreeAllReferences(platform::HMODULE module)
{
  for (auto it = m_loadedModules.begin(); it != m_loadedModules.end();) {
    if (*it == module) {
      platform::FreeLibrary(module);
      it = m_loadedModules.erase(it);
    } else {
      ++it;
    }
  }
}

void CComponentLoader::ReleaseComponents()
{
  while (!_ComponentList.empty()) {
    CComponent* pComponent = _ComponentList.front();
    _ComponentList.pop_front();
    if (pComponent == nullptr)
      continue;
    const platform::HMODULE module = pComponent->GetInstanceHandle();
    delete pComponent;
    if (module == nullptr || IsMarlowPath(platform::ModuleFileName(module)))
      continue;
    const bool moduleStillUsed =
        std::any_of(_ComponentList.begin(), _ComponentList.end(), [module](CComponent* p) {
          return p != nullptr && p->GetInstanceHandle() == module;
        });
    if (!moduleStillUsed)
      FreeAllReferences(module);
  }
  // Modules that registered nothing, then Marlow.
  std::vector<platform::HMODULE> marlow;
  for (platform::HMODULE module : m_loadedModules) {
    if (IsMarlowPath(platform::ModuleFileName(module)))
      marlow.push_back(module);
    else
      platform::FreeLibrary(module);
  }
  for (platform::HMODULE module : marlow)
    platform::FreeLibrary(module);
  m_loadedModules.clear();
  m_hMarlow = nullptr;
}

} // namespace harness
