// CModelComponent: a component whose registration and model live in the registry below
// gszComponentRegistryKey\<class name>, with the rules of the "Default" model. Both component
// plug-ins derive their components from it.
#pragma once

#include "skeleton/modelsheetlayout.h"

#include "plinth/component.h"

#include <string>

namespace components {

inline constexpr const char* kDefaultModel = "Default";
inline constexpr uint32_t kComponentConstructed = 3;
inline constexpr uint32_t kComponentInitialised = 4;

// The object as a component, or null when it is none (test-case constructors take any object).
inline CComponent* AsComponent(CObject* pObject)
{
  return pObject != nullptr && pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))
             ? static_cast<CComponent*>(pObject)
             : nullptr;
}

} // namespace components

class CModelComponent : public CComponent
{
public:
  // layout: what this component's model sheet shows.
  explicit CModelComponent(
      platform::HMODULE hInstance,
      components::ModelSheetLayout layout = components::ModelSheetLayout::WithVersion());
  // Leaves the module's own component list (componentmodule.h), so it never holds a deleted one.
  ~CModelComponent() override;

  // Status 4; 1.
  int InitComponent() override;
  // The values the model sub-key named by CurrentModel holds; 1 or, after a log line, 0.
  int ReadModelFromRegistry() override;
  // Writes the five model values below the component key (resetting them and the model name
  // to "Default" first when asked). Never writes CurrentModel. 1 or, after a log line, 0.
  int SaveModelToRegistry(bool bResetToDefault) override;
  // The component key with DllPath, EnableDll and CurrentModel and the "Default" model, unless
  // the key exists already. 1 or, after a log line, 0.
  int CreateDefaultRegistryEntry() override;

  // The model sheet over the current model; a model saved from it is stored under the name
  // given on the sheet, which strNewModel then holds (the caller makes it current).
  // kConfigureSaved, kConfigureCancelled or kConfigureFailed. User-interface thread.
  int ConfigureComponent(std::string& strNewModel) override;

  // gszComponentRegistryKey, a backslash and the class name.
  std::string GetComponentKeyPath() const;
  // The version of the module file (GetModuleName), "Unknown" without one.
  std::string GetDllVersion() const;
  const components::ModelSheetLayout& GetModelSheetLayout() const { return m_modelSheetLayout; }

private:
  components::ModelSheetLayout m_modelSheetLayout;
};
