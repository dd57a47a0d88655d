// The model configuration's rules.
#include "skeleton/modelconfiguration.h"

#include "skeleton/componentmodule.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/stopbox.h"

#include <strings.h>

namespace components {

namespace {

constexpr const char* kEmptyModelRefusal = "Enter a name for the model.";
constexpr const char* kBackslashModelRefusal = "A model name cannot hold a backslash (\\).";

} // namespace

std::string& ModelPageValues::Field(ModelField field)
{
  return const_cast<std::string&>(static_cast<const ModelPageValues*>(this)->Field(field));
}

const std::string& ModelPageValues::Field(ModelField field) const
{
  switch (field) {
  case ModelField::Path:
    return strPath;
  case ModelField::OEM:
    return strOEM;
  case ModelField::Manufacturer:
    return strManufacturer;
  case ModelField::Model:
    return strModel;
  case ModelField::DriverVersion:
    return strDriverVersion;
  case ModelField::FirmwareVersion:
    return strFirmwareVersion;
  case ModelField::Serial:
    return strSerial;
  case ModelField::Version:
    break;
  }
  return strVersion;
}

ModelPageValues ReadModelPageValues(const CModelComponent& component)
{
  ModelPageValues values;
  values.strManufacturer = component.GetManufacturer();
  values.strModel = component.GetModelName();
  values.strDriverVersion = component.GetDriverVersion();
  values.strFirmwareVersion = component.GetFirmwareVersion();
  values.strOEM = component.GetOEMName();
  values.strSerial = component.GetSerialNum();
  values.strPath = component.GetModuleName();
  values.strVersion = component.GetDllVersion();
  return values;
}

void CutToFieldLengths(ModelPageValues& values, const ModelSheetLayout& layout)
{
  for (const ModelFieldSpec& entry : layout.GeneralFields()) {
    std::string& value = values.Field(entry.field);
    if (value.size() > static_cast<std::size_t>(entry.maxLength))
      value.resize(static_cast<std::size_t>(entry.maxLength));
  }
}

std::string ModelNameRefusal(const std::string& name)
{
  if (strcasecmp(name.c_str(), kDefaultModel) == 0)
    return kDefaultModelRefusal;
  if (name.empty())
    return kEmptyModelRefusal;
  if (name.find('\\') != std::string::npos)
    return kBackslashModelRefusal;
  return {};
}

void ApplyModelPageValues(CComponent& component, const ModelPageValues& values)
{
  component.SetManufacturer(values.strManufacturer);
  component.SetModelName(values.strModel);
  component.SetDriverVersion(values.strDriverVersion);
  component.SetFirmwareVersion(values.strFirmwareVersion);
  component.SetOEMName(values.strOEM);
  component.SetSerialNum(values.strSerial);
}

int ConfigureModel(CModelComponent& component, std::string& strNewModel,
                   const ModelSheetLayout& layout, const ModelSheetRunner& runSheet)
{
  strNewModel.clear();
  if (component.ReadModelFromRegistry() != 1)
    return kConfigureFailed;
  SetCurrentComponent(&component);
  ModelPageValues values = ReadModelPageValues(component);
  CutToFieldLengths(values, layout);
  if (!runSheet(values))
    return kConfigureCancelled;
  CutToFieldLengths(values, layout);
  if (const std::string refusal = ModelNameRefusal(values.strModel); !refusal.empty()) {
    ShowStopBox(refusal);
    return kConfigureFailed;
  }
  ApplyModelPageValues(component, values);
  if (component.SaveModelToRegistry(false) != 1)
    return kConfigureFailed;
  strNewModel = values.strModel;
  return kConfigureSaved;
}

} // namespace components
