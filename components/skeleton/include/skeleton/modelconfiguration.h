// The rules of a component's model configuration, without widgets: what the model sheet shows,
// which model names may be saved, the order the values go back into the component, and the
// steps of ConfigureComponent around a sheet that the caller supplies.
#pragma once

#include "skeleton/modelsheetlayout.h"

#include <functional>
#include <string>

class CComponent;
class CModelComponent;

namespace components {

// The general page's values, one per field.
struct ModelPageValues
{
  std::string strPath;
  std::string strOEM;
  std::string strManufacturer;
  std::string strModel;
  std::string strDriverVersion;
  std::string strFirmwareVersion;
  std::string strSerial;
  std::string strVersion;

  std::string& Field(ModelField field);
  const std::string& Field(ModelField field) const;
};

inline constexpr const char* kDefaultModelRefusal =
    "You are not allowed to modify the 'Default' model.";

// The component's model values, its module path and the module's version.
ModelPageValues ReadModelPageValues(const CModelComponent& component);

// Cuts every value of the layout's fields to the field's length, as the page's edits hold them.
void CutToFieldLengths(ModelPageValues& values, const ModelSheetLayout& layout);

// "" when a model may be saved under name; otherwise the text of the refusal box. "Default"
// is refused in any letter case (registry key names ignore case, so "DEFAULT" would overwrite
// the default model), and so are an empty name and one holding a backslash (the key would be
// the component key itself, or nested keys).
std::string ModelNameRefusal(const std::string& name);

// The editable values into the component through its setters, in this order: manufacturer,
// model name, driver version, firmware version, OEM name, serial number. The path and the
// version are never read back.
void ApplyModelPageValues(CComponent& component, const ModelPageValues& values);

// Shows the sheet over values and returns true when it was closed with OK; values then hold
// what the user left in the page.
using ModelSheetRunner = std::function<bool(ModelPageValues& values)>;

// ConfigureComponent's steps: reads the model (0 when that fails), makes the component the
// current one, runs the sheet (2 when it is not closed with OK), refuses a name that may not
// be saved (stop box, 0, nothing changed), applies the values and saves them as the model
// named on the page: 1 with strNewModel set to that name, or 0 when the save fails.
// The caller makes the new model current. User-interface thread.
int ConfigureModel(CModelComponent& component, std::string& strNewModel,
                   const ModelSheetLayout& layout, const ModelSheetRunner& runSheet);

} // namespace components
