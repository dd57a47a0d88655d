// The model sheet's layouts and the general page's field table.
#include "skeleton/modelsheetlayout.h"

namespace components {

namespace {

constexpr int kPathLength = 254;
constexpr int kValueLength = 250;

constexpr ModelFieldSpec kGeneralFields[] = {
    {ModelField::Path, "Path:", kPathLength, false},
    {ModelField::OEM, "OEM:", kValueLength, true},
    {ModelField::Manufacturer, "Manufacturer:", kValueLength, true},
    {ModelField::Model, "Model:", kValueLength, true},
    {ModelField::DriverVersion, "Driver Version:", kValueLength, true},
    {ModelField::FirmwareVersion, "Firmware Version:", kValueLength, true},
    {ModelField::Serial, "Serial Number:", kValueLength, true},
    {ModelField::Version, "Version:", kValueLength, true},
};

} // namespace

ModelSheetLayout ModelSheetLayout::WithVersion()
{
  return ModelSheetLayout{};
}

ModelSheetLayout ModelSheetLayout::WithParameterPage()
{
  ModelSheetLayout layout;
  layout.bVersionField = false;
  layout.extraPages.push_back({"More Stuff Here", "Some Parameter:"});
  return layout;
}

std::vector<ModelFieldSpec> ModelSheetLayout::GeneralFields() const
{
  std::vector<ModelFieldSpec> fields;
  for (const ModelFieldSpec& entry : kGeneralFields) {
    if (entry.field != ModelField::Version || bVersionField)
      fields.push_back(entry);
  }
  return fields;
}

} // namespace components
