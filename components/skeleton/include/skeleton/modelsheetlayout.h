// What the model property sheet of a component plug-in shows: the fields of its general page
// with their lengths, and the pages that follow it. Each plug-in chooses its layout.
#pragma once

#include <string>
#include <vector>

namespace components {

// The general page's fields, in display order from top to bottom.
enum class ModelField {
  Path,
  OEM,
  Manufacturer,
  Model,
  DriverVersion,
  FirmwareVersion,
  Serial,
  Version
};

struct ModelFieldSpec
{
  ModelField field;
  const char* label;
  int maxLength;
  bool editable;
};

// A page after the general one that only shows a text.
struct ModelTextPage
{
  std::string title;
  std::string text;
};

struct ModelSheetLayout
{
  // The "Version:" field (the module file's version, shown but never read back).
  bool bVersionField = true;
  std::vector<ModelTextPage> extraPages;

  // Marlow's sheet: eight fields, the general page only.
  static ModelSheetLayout WithVersion();
  // Kestrel's sheet: seven fields and a second page "More Stuff Here".
  static ModelSheetLayout WithParameterPage();

  // The general page's fields of this layout, top to bottom.
  std::vector<ModelFieldSpec> GeneralFields() const;
};

inline constexpr const char* kModelSheetCaption = "Model Properties";
inline constexpr const char* kModelGeneralPageTitle = "General";

} // namespace components
