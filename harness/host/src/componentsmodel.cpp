// The components dialog's rules.
#include "harness/componentsmodel.h"

#include "plinth/component.h"

namespace harness {

std::vector<ComponentRow> CComponentsModel::Rows() const
{
  std::vector<ComponentRow> rows;
  for (CComponent* component : _ComponentList) {
    if (component == nullptr)
      continue;
    ComponentRow row{component->GetClassName(), {}};
    // A component whose model cannot be read has no registry entry to edit: no row.
    if (m_loader.GetCurrentModel(row.className, row.currentModel))
      rows.push_back(std::move(row));
  }
  return rows;
}

CComponentsModel::ConfigureResult CComponentsModel::Configure(const std::string& className)
{
  CComponent* component = m_loader.FindComponentByClass(className);
  if (component == nullptr)
    return ConfigureResult::NoComponent;
  std::string model;
  if (component->ConfigureComponent(model) != kConfigureSaved)
    return ConfigureResult::NotSaved;
  m_loader.SetCurrentModel(className, model);
  return ConfigureResult::ModelChanged;
}

std::string CComponentsModel::ModelBeforeSelection(const std::string& className) const
{
  std::string model;
  m_loader.GetCurrentModel(className, model);
  return model;
}

bool CComponentsModel::UndoModelSelection(const std::string& className,
                                          const std::string& before) const
{
  // Nothing was read, so nothing is known to put back.
  if (before.empty())
    return false;
  return m_loader.SetCurrentModel(className, before);
}

} // namespace harness
