// The model selection dialog's rules.
#include "harness/modelselection.h"

#include "harness/stringids.h"

#include "plinth/component.h"

#include "platform/regkey.h"

namespace harness {

namespace {

constexpr platform::DWORD kModelNameSize = 257; // 256 characters and the terminator
constexpr unsigned int kLevelError = 0;

} // namespace

CModelSelection::CModelSelection(CComponentLoader& loader, const StringTable& strings,
                                 UserPrompts& prompts, LogFunction log, std::string className,
                                 std::string defaultModel)
    : m_loader(loader), m_strings(strings), m_prompts(prompts), m_log(std::move(log)),
      m_strClassName(std::move(className)), m_strDefaultModel(std::move(defaultModel))
{
}

std::optional<std::vector<std::string>> CModelSelection::ReadModels() const
{
  const std::string keyPath = m_loader.GetComponentDllsKey() + "\\" + m_strClassName;
  CRegKey key;
  const platform::LONG result = key.Open(platform::HKEY_LOCAL_MACHINE, keyPath);
  if (result != platform::ERROR_SUCCESS) {
    if (m_log)
      m_log(kLevelError,
            m_strings.Format(ids::kModelKeyUnreadable, {keyPath, std::to_string(result)}));
    return std::nullopt;
  }
  std::vector<std::string> models;
  for (platform::DWORD index = 0;; ++index) {
    char name[kModelNameSize];
    platform::DWORD size = sizeof name;
    if (platform::RegEnumKeyEx(key, index, name, &size, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS)
      break;
    models.emplace_back(name, size);
  }
  return models;
}

std::string CModelSelection::CurrentOrDefault() const
{
  std::string model;
  if (!m_loader.GetCurrentModel(m_strClassName, model))
    return m_strDefaultModel;
  return model;
}

int CModelSelection::EntryToSelect(const std::vector<std::string>& models) const
{
  for (const std::string& wanted : {CurrentOrDefault(), m_strDefaultModel}) {
    for (std::size_t i = 0; i < models.size(); ++i) {
      if (models[i].compare(0, wanted.size(), wanted) == 0)
        return static_cast<int>(i);
    }
  }
  return -1;
}

bool CModelSelection::NewModel()
{
  std::string remembered;
  m_loader.GetCurrentModel(m_strClassName, remembered);
  m_loader.SetCurrentModel(m_strClassName, m_strDefaultModel);
  std::string newModel;
  CComponent* component = m_loader.FindComponentByClass(m_strClassName);
  if (component != nullptr && component->ConfigureComponent(newModel) == kConfigureSaved) {
    m_loader.SetCurrentModel(m_strClassName, newModel);
    return true;
  }
  m_loader.SetCurrentModel(m_strClassName, remembered.empty() ? m_strDefaultModel : remembered);
  return false;
}

CModelSelection::AcceptResult CModelSelection::Accept(const std::string& selected)
{
  if (selected.empty()) {
    BoxRequest request;
    request.text = m_strings.Get(ids::kSelectModelFirst);
    request.icon = BoxIcon::Warning;
    request.beep = true;
    m_prompts.Ask(request);
    return AcceptResult::NoSelection;
  }
  const std::string remembered = CurrentOrDefault();
  m_loader.SetCurrentModel(m_strClassName, selected);
  CComponent* component = m_loader.FindComponentByClass(m_strClassName);
  if (component != nullptr && component->ReadModelFromRegistry() == 1)
    return AcceptResult::Loaded;
  m_loader.SetCurrentModel(m_strClassName, remembered);
  if (m_log)
    m_log(kLevelError, m_strings.Format(ids::kModelNotLoaded, {m_strClassName, selected}));
  m_prompts.Show(m_strings.Get(ids::kModelNotLoadedBox), BoxIcon::Error);
  return AcceptResult::LoadFailed;
}

} // namespace harness
