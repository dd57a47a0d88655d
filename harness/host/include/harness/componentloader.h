// Loading the component plug-ins the registry lists, the look-ups over the loaded components,
// the per-component current model, configuration mode, and the release at exit. No widgets:
// the harness windows and the tools supply the log, the boxes and the file dialog.
// User-interface thread only.
#pragma once

#include "platform/modules.h"

#include <functional>
#include <string>
#include <vector>

class CComponent;

namespace harness {

struct LoaderCallbacks
{
  // A harness log line with its level (0 errors).
  std::function<void(unsigned int level, const std::string& text)> log;
  std::function<void(const std::string& text)> errorBox;
  std::function<void(const std::string& text)> informationBox;
};

class CComponentLoader
{
public:
  // rootKeyPath is the harness root key below HKEY_LOCAL_MACHINE. The component registry is
  // its ComponentDlls sub-key; that path is also stored in gszComponentRegistryKey, where the
  // plug-ins look for it.
  CComponentLoader(const std::string& rootKeyPath, LoaderCallbacks callbacks);
  // Releases whatever is still loaded (ReleaseComponents).
  ~CComponentLoader();
  CComponentLoader(const CComponentLoader&) = delete;
  CComponentLoader& operator=(const CComponentLoader&) = delete;

  const std::string& GetComponentDllsKey() const { return m_strComponentDllsKey; }

  // Loads every enabled plug-in of the component registry that is not loaded yet, in the
  // order of its sub-keys. False when the registry cannot be opened or a sub-key cannot be
  // opened or has no DllPath (the walk stops there); a plug-in that fails to load is logged
  // and skipped.
  bool LoadComponentDlls();

  // Where the "add component" file dialog starts: ComponentDllFolder, else InstallationFolder.
  // False (after a log line and an error box) when the root key cannot be opened.
  bool GetComponentDllFolder(std::string& folder);

  enum class AddResult { Added, AlreadyLoaded, Failed };
  // Loads the plug-in the user picked; an information box when it is loaded already.
  AddResult AddComponentDll(const std::string& path);

  // Loads a plug-in by path outside the registry walk (the harness's own load of Marlow).
  // Null on failure, after a log line naming the path and the reason unless the caller
  // reports the failure itself.
  platform::HMODULE LoadComponentDll(const std::string& path, bool logFailure = true);

  // The first component in _ComponentList whose module path (class name) equals the argument
  // ignoring case, or null. Broken entries are logged and skipped.
  CComponent* FindComponentByModule(const std::string& path) const;
  CComponent* FindComponentByClass(const std::string& className) const;

  // CurrentModel in the component's sub-key; false after a log line (and, for a failed write,
  // an error box).
  bool GetCurrentModel(const std::string& className, std::string& model) const;
  bool SetCurrentModel(const std::string& className, const std::string& model) const;

  // True when "Configurations Set" below the root key reads as 0.
  bool IsConfigMode() const;

  // Marlow's module: the first module loaded (by the walk, by hand or by the harness's own
  // load) whose file base name is "Marlow" ignoring case; null while none is. Its exports are
  // looked up in it.
  platform::HMODULE GetMarlowModule() const { return m_hMarlow; }
  bool IsMarlowLoaded() const { return m_hMarlow != nullptr; }

  // At exit: every component leaves _ComponentList from the head and is deleted; a module is
  // freed once none of its components is left, Marlow after all others. Every load this
  // object made is undone exactly once, so no component outlives its module's code.
  void ReleaseComponents();

  // One entry per successful load still held, in load order.
  const std::vector<platform::HMODULE>& GetLoadedModules() const { return m_loadedModules; }

private:
  void Log(unsigned int level, const std::string& text) const;
  void ErrorBox(const std::string& text) const;
  bool IsValidEntry(const CComponent* pComponent) const;
  void FreeAllReferences(platform::HMODULE module);

  std::string m_strRootKey;
  std::string m_strComponentDllsKey;
  LoaderCallbacks m_callbacks;
  std::vector<platform::HMODULE> m_loadedModules;
  platform::HMODULE m_hMarlow = nullptr;
};

// True when the file base name of path is "Marlow" ignoring case.
bool IsMarlowPath(const std::string& path);

} // namespace harness
