// The model configuration's rules without widgets: the page layouts, the names that may be
// saved, the order values go back, and ConfigureComponent's steps around a scripted sheet.
#include "skeleton/componentmodule.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/modelconfiguration.h"
#include "skeleton/stopbox.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/stopboxcapture.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

using namespace testsupport;
using components::ModelField;
using components::ModelPageValues;
using components::ModelSheetLayout;

namespace {

// Records the setters in the order they are called.
class CRecordingComponent : public CModelComponent
{
public:
  CRecordingComponent() : CModelComponent(nullptr) {}
  void SetManufacturer(const std::string& s) override { Record("Manufacturer", s); }
  void SetModelName(const std::string& s) override { Record("Model", s); }
  void SetDriverVersion(const std::string& s) override { Record("DriverVersion", s); }
  void SetFirmwareVersion(const std::string& s) override { Record("FirmwareVersion", s); }
  void SetOEMName(const std::string& s) override { Record("OEMName", s); }
  void SetSerialNum(const std::string& s) override { Record("SerialNumber", s); }
  std::vector<std::string> calls;

private:
  void Record(const char* what, const std::string& value) { calls.push_back(what + ("=" + value)); }
};

class CLabComponent : public CModelComponent
{
public:
  explicit CLabComponent(bool saveFails = false) : CModelComponent(nullptr), m_bSaveFails(saveFails)
  {
    m_strClassName = "Lab Tests";
    m_strDllPath = "/opt/halvex/lib/halvex/plugins/Lab.so";
  }
  int SaveModelToRegistry(bool bResetToDefault) override
  {
    return m_bSaveFails && !bResetToDefault ? 0
                                            : CModelComponent::SaveModelToRegistry(bResetToDefault);
  }

private:
  bool m_bSaveFails;
};

class ModelConfigurationTest : public ::testing::Test
{
protected:
  void SetUp() override { m_registry.SeedRoot("/opt/halvex", ""); }
  std::string Key() const { return std::string(kComponentDllsKey) + "\\Lab Tests"; }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
  StopBoxCapture m_boxes;
};

std::string Labels(const ModelSheetLayout& layout)
{
  std::string labels;
  for (const components::ModelFieldSpec& entry : layout.GeneralFields())
    labels += std::string(entry.label) + std::to_string(entry.maxLength) +
              (entry.editable ? "" : "ro") + " ";
  return labels;
}

} // namespace

TEST(ModelSheetLayoutTest, GeneralPageFieldsOfBothLayouts)
{
  EXPECT_EQ(Labels(ModelSheetLayout::WithVersion()),
            "Path:254ro OEM:250 Manufacturer:250 Model:250 Driver Version:250 "
            "Firmware Version:250 Serial Number:250 Version:250 ");
  EXPECT_TRUE(ModelSheetLayout::WithVersion().extraPages.empty());

  const ModelSheetLayout withPage = ModelSheetLayout::WithParameterPage();
  EXPECT_EQ(Labels(withPage), "Path:254ro OEM:250 Manufacturer:250 Model:250 Driver Version:250 "
                              "Firmware Version:250 Serial Number:250 ");
  ASSERT_EQ(withPage.extraPages.size(), 1u);
  EXPECT_EQ(withPage.extraPages[0].title, "More Stuff Here");
  EXPECT_EQ(withPage.extraPages[0].text, "Some Parameter:");
}

TEST(ModelConfigurationRulesTest, NamesThatMayNotBeSaved)
{
  const struct
  {
    const char* name;
    const char* refusal;
  } cases[] = {
      {"Default", "You are not allowed to modify the 'Default' model."},
      {"DEFAULT", "You are not allowed to modify the 'Default' model."},
      {"default", "You are not allowed to modify the 'Default' model."},
      {"", "Enter a name for the model."},
      {"Bench\\7", "A model name cannot hold a backslash (\\)."},
      {"Bench\\", "A model name cannot hold a backslash (\\)."},
      {"Default 2", ""},
      {" Default", ""},
      {"Bench 7", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(components::ModelNameRefusal(c.name), c.refusal);
  }
}

TEST(ModelConfigurationRulesTest, ValuesGoBackInTheSetterOrderWithoutPathOrVersion)
{
  CRecordingComponent component;
  ModelPageValues values;
  values.strPath = "/elsewhere.so";
  values.strOEM = "oem";
  values.strManufacturer = "maker";
  values.strModel = "Bench";
  values.strDriverVersion = "d1";
  values.strFirmwareVersion = "f1";
  values.strSerial = "s1";
  values.strVersion = "9.9.9.9";
  components::ApplyModelPageValues(component, values);
  EXPECT_EQ(component.calls,
            (std::vector<std::string>{"Manufacturer=maker", "Model=Bench", "DriverVersion=d1",
                                      "FirmwareVersion=f1", "OEMName=oem", "SerialNumber=s1"}));
  EXPECT_EQ(component.GetModuleName(), "");
}

TEST(ModelConfigurationRulesTest, ValuesAreCutToTheirFields)
{
  ModelPageValues values;
  values.strPath = std::string(300, 'p');
  values.strSerial = std::string(251, 's');
  values.strVersion = std::string(260, 'v');
  values.strOEM = "short";
  ModelPageValues withPage = values;
  components::CutToFieldLengths(values, ModelSheetLayout::WithVersion());
  EXPECT_EQ(values.strPath.size(), 254u);
  EXPECT_EQ(values.strSerial.size(), 250u);
  EXPECT_EQ(values.strVersion.size(), 250u);
  EXPECT_EQ(values.strOEM, "short");
  // A layout without the version field leaves that value alone.
  components::CutToFieldLengths(withPage, ModelSheetLayout::WithParameterPage());
  EXPECT_EQ(withPage.strVersion.size(), 260u);
  EXPECT_EQ(withPage.strPath.size(), 254u);
}

TEST_F(ModelConfigurationTest, DefaultModelUnchangedIsRefused)
{
  CLabComponent component;
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  std::string newModel = "stale";
  bool shown = false;
  const int result = components::ConfigureModel(
      component, newModel, ModelSheetLayout::WithVersion(), [&](ModelPageValues& values) {
        shown = true;
        EXPECT_EQ(values.strModel, "Default");
        EXPECT_EQ(values.strPath, "/opt/halvex/lib/halvex/plugins/Lab.so");
        EXPECT_EQ(values.strVersion, "Unknown");
        values.strManufacturer = "changed";
        return true;
      });
  EXPECT_TRUE(shown);
  EXPECT_EQ(result, kConfigureFailed);
  EXPECT_EQ(newModel, "");
  EXPECT_EQ(m_boxes.Boxes(),
            std::vector<std::string>{"You are not allowed to modify the 'Default' model."});
  EXPECT_EQ(ReadString(Key() + "\\Default", "Manufacturer"), "Default");
  EXPECT_EQ(component.GetManufacturer(), "Default");
  EXPECT_EQ(components::GetCurrentComponent(), &component);
}

TEST_F(ModelConfigurationTest, NewNameSavesANewModelAndLeavesCurrentModel)
{
  CLabComponent component;
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  std::string newModel;
  const int result = components::ConfigureModel(
      component, newModel, ModelSheetLayout::WithVersion(), [](ModelPageValues& values) {
        values.strModel = "Bench 7";
        values.strManufacturer = "Orvane";
        values.strDriverVersion = "2.1";
        values.strFirmwareVersion = "F9";
        values.strOEM = "OEM";
        values.strSerial = std::string(260, '7');
        return true;
      });
  EXPECT_EQ(result, kConfigureSaved);
  EXPECT_EQ(newModel, "Bench 7");
  EXPECT_TRUE(m_boxes.Boxes().empty());
  const std::string model = Key() + "\\Bench 7";
  EXPECT_EQ(ReadString(model, "Manufacturer"), "Orvane");
  EXPECT_EQ(ReadString(model, "DriverVersion"), "2.1");
  EXPECT_EQ(ReadString(model, "FirmwareVersion"), "F9");
  EXPECT_EQ(ReadString(model, "OEMName"), "OEM");
  EXPECT_EQ(ReadString(model, "SerialNumber"), std::string(250, '7'));
  EXPECT_EQ(ReadString(Key() + "\\Default", "Manufacturer"), "Default");
  // The caller makes the new model current.
  EXPECT_EQ(ReadString(Key(), "CurrentModel"), "Default");
  EXPECT_EQ(component.GetModelName(), "Bench 7");
}

TEST_F(ModelConfigurationTest, CancelAndFailuresChangeNothing)
{
  CLabComponent component;
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  std::string newModel = "stale";
  EXPECT_EQ(components::ConfigureModel(component, newModel, ModelSheetLayout::WithVersion(),
                                       [](ModelPageValues& values) {
                                         values.strModel = "Bench";
                                         return false;
                                       }),
            kConfigureCancelled);
  EXPECT_EQ(newModel, "");
  EXPECT_FALSE(KeyExists(Key() + "\\Bench"));

  CLabComponent failingSave(true);
  EXPECT_EQ(components::ConfigureModel(failingSave, newModel, ModelSheetLayout::WithVersion(),
                                       [](ModelPageValues& values) {
                                         values.strModel = "Bench";
                                         return true;
                                       }),
            kConfigureFailed);
  EXPECT_EQ(newModel, "");

  // A model that cannot be read: no sheet at all.
  ASSERT_EQ(platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, (Key() + "\\Default").c_str()),
            0);
  bool shown = false;
  EXPECT_EQ(components::ConfigureModel(component, newModel, ModelSheetLayout::WithVersion(),
                                       [&](ModelPageValues&) { return shown = true; }),
            kConfigureFailed);
  EXPECT_FALSE(shown);
  EXPECT_TRUE(m_log.HasPart("Could not open model registry key Default")) << m_log.All();
  EXPECT_TRUE(m_boxes.Boxes().empty());
}
