// What the components dialog shows and does, without widgets: the rows of loaded components
// with their current models, and the Configure and Model rules over the component loader.
// User-interface thread only.
#pragma once

#include "harness/componentloader.h"

#include <string>
#include <vector>

namespace harness {

struct ComponentRow
{
  std::string className;
  std::string currentModel;
};

class CComponentsModel
{
public:
  explicit CComponentsModel(harness::CComponentLoader& loader) : m_loader(loader) {}

  // One row per component of _ComponentList whose current model can be read, in list order.
  std::vector<ComponentRow> Rows() const;

  enum class ConfigureResult { NoComponent, NotSaved, ModelChanged };
  // Lets the component configure itself; a saved configuration becomes its current model.
  ConfigureResult Configure(const std::string& className);

  // The model in force before the model selection opens ("" when it cannot be read, after the
  // loader's log line), and putting it back when that selection is cancelled.
  std::string ModelBeforeSelection(const std::string& className) const;
  bool UndoModelSelection(const std::string& className, const std::string& before) const;

private:
  harness::CComponentLoader& m_loader;
};

} // namespace harness
