// The registry layout of components and models, against a private registry file.
#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class CLabComponent : public CModelComponent
{
public:
  explicit CLabComponent(const std::string& className) : CModelComponent(nullptr)
  {
    m_strClassName = className;
    m_strDllPath = "/opt/halvex/lib/halvex/plugins/Lab.so";
  }
};

class ModelComponentTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", "");
    guiLoggingLevel = 3;
  }
  std::string ComponentKey(const std::string& cls) const
  {
    return std::string(kComponentDllsKey) + "\\" + cls;
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
};

const char* const kModelValues[] = {"Manufacturer", "DriverVersion", "FirmwareVersion", "OEMName",
                                    "SerialNumber"};

} // namespace

TEST_F(ModelComponentTest, FirstLoadWritesComponentKeyAndDefaultModel)
{
  CLabComponent component("Lab Tests");
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  const std::string key = ComponentKey("Lab Tests");
  EXPECT_EQ(ReadString(key, "DllPath"), "/opt/halvex/lib/halvex/plugins/Lab.so");
  EXPECT_EQ(ReadDword(key, "EnableDll"), 1);
  EXPECT_EQ(ReadString(key, "CurrentModel"), "Default");
  EXPECT_EQ(SubKeys(key), std::vector<std::string>{"Default"});
  for (const char* value : kModelValues) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ReadString(key + "\\Default", value), "Default");
  }
  EXPECT_TRUE(m_log.Has("Saving (component Lab Tests, model Default) parameters to the registry."))
      << m_log.All();
  EXPECT_FALSE(m_log.HasPart("already has a registry entry"));
}

TEST_F(ModelComponentTest, SecondLoadOnlyNoticesAndReadsTheStoredModel)
{
  {
    CLabComponent first("Lab Tests");
    ASSERT_EQ(first.CreateDefaultRegistryEntry(), 1);
    first.m_strModelName = "Bench 7";
    first.m_strManufacturer = "Orvane";
    first.m_strSerialNum = "SN-1";
    ASSERT_EQ(first.SaveModelToRegistry(false), 1);
    CRegKey key;
    ASSERT_EQ(key.Open(platform::HKEY_LOCAL_MACHINE, ComponentKey("Lab Tests")), 0);
    ASSERT_EQ(key.WriteString("CurrentModel", "Bench 7"), 0);
  }
  m_log.Clear();
  CLabComponent second("lab tests");
  ASSERT_EQ(second.CreateDefaultRegistryEntry(), 1);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{
                               "The lab tests component class already has a registry entry."});
  EXPECT_EQ(ReadString(ComponentKey("Lab Tests"), "CurrentModel"), "Bench 7");
  ASSERT_EQ(second.ReadModelFromRegistry(), 1);
  EXPECT_EQ(second.GetModelName(), "Bench 7");
  EXPECT_EQ(second.GetManufacturer(), "Orvane");
  EXPECT_EQ(second.GetSerialNum(), "SN-1");
  EXPECT_TRUE(m_log.Has("Initializing (component lab tests, model Bench 7) with registry values."));
}

TEST_F(ModelComponentTest, ResetOnAnotherModelRewritesDefaultAndLeavesTheOtherModel)
{
  CLabComponent component("Lab Tests");
  ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
  component.m_strModelName = "Bench 7";
  component.m_strManufacturer = "Orvane";
  component.m_strDriverVersion = "2.1";
  component.m_strFirmwareVersion = "F9";
  component.m_strOEMName = "OEM";
  component.m_strSerialNum = "SN-1";
  ASSERT_EQ(component.SaveModelToRegistry(false), 1);
  // Damage the Default model so the reset has something to rewrite.
  {
    CRegKey model;
    ASSERT_EQ(model.Open(platform::HKEY_LOCAL_MACHINE, ComponentKey("Lab Tests") + "\\Default"), 0);
    ASSERT_EQ(model.WriteString("OEMName", "changed"), 0);
  }
  ASSERT_EQ(component.SaveModelToRegistry(true), 1);
  EXPECT_EQ(component.GetModelName(), "Default");
  EXPECT_EQ(component.GetManufacturer(), "Default");
  EXPECT_EQ(component.GetDriverVersion(), "Default");
  EXPECT_EQ(component.GetFirmwareVersion(), "Default");
  EXPECT_EQ(component.GetOEMName(), "Default");
  EXPECT_EQ(component.GetSerialNum(), "Default");
  const std::string key = ComponentKey("Lab Tests");
  for (const char* value : kModelValues) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ReadString(key + "\\Default", value), "Default");
  }
  EXPECT_EQ(ReadString(key + "\\Bench 7", "Manufacturer"), "Orvane");
  EXPECT_EQ(ReadString(key + "\\Bench 7", "DriverVersion"), "2.1");
  EXPECT_EQ(ReadString(key + "\\Bench 7", "FirmwareVersion"), "F9");
  EXPECT_EQ(ReadString(key + "\\Bench 7", "OEMName"), "OEM");
  EXPECT_EQ(ReadString(key + "\\Bench 7", "SerialNumber"), "SN-1");
  // The save never touches CurrentModel.
  EXPECT_EQ(ReadString(key, "CurrentModel"), "Default");
}

TEST_F(ModelComponentTest, ReadFailuresNameWhatIsMissing)
{
  const struct
  {
    const char* name;
    const char* damage; // registry path below the component key to delete, or value name
    bool deleteValue;
    const char* expected;
  } cases[] = {
      {
          "no component key", "", false,
          "ERROR (Lab Tests): Could not open registry key " // followed by the key path
      },
      {"no CurrentModel", "CurrentModel", true,
       "ERROR (Lab Tests): Could not read registry value CurrentModel, Error# 2"},
      {"no model key", "Default", false,
       "ERROR (Lab Tests): Could not open model registry key Default, Error# 2"},
      {"no FirmwareVersion", "FirmwareVersion", true,
       "ERROR (Lab Tests): Could not read registry value FirmwareVersion, Error# 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CLabComponent component("Lab Tests");
    ASSERT_EQ(component.CreateDefaultRegistryEntry(), 1);
    const std::string key = ComponentKey("Lab Tests");
    if (std::string(c.damage).empty()) {
      ASSERT_EQ(platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, key.c_str()), 0);
    } else if (!c.deleteValue) {
      ASSERT_EQ(
          platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, (key + "\\" + c.damage).c_str()),
          0);
    } else {
      CRegKey damaged;
      const std::string where = std::string(c.damage) == "CurrentModel" ? key : key + "\\Default";
      ASSERT_EQ(damaged.Open(platform::HKEY_LOCAL_MACHINE, where), 0);
      ASSERT_EQ(platform::RegDeleteValue(damaged, c.damage), 0);
    }
    m_log.Clear();
    EXPECT_EQ(component.ReadModelFromRegistry(), 0);
    EXPECT_TRUE(m_log.HasPart(c.expected)) << m_log.All();
    EXPECT_FALSE(m_log.HasPart("Initializing"));
    platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, key.c_str());
  }
}

TEST_F(ModelComponentTest, MissingComponentDllsKeyFailsTheDefaultEntry)
{
  ASSERT_EQ(platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, kComponentDllsKey), 0);
  CLabComponent component("Lab Tests");
  EXPECT_EQ(component.CreateDefaultRegistryEntry(), 0);
  EXPECT_TRUE(m_log.Has(std::string("ERROR: Could not open registry key. CRegKey::Open (") +
                        kComponentDllsKey + "), Error# 2"))
      << m_log.All();
}

TEST_F(ModelComponentTest, LoggingLevelDecidesWhatIsSent)
{
  const struct
  {
    unsigned int level;
    size_t lines;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    guiLoggingLevel = c.level;
    m_log.Clear();
    components::LogMessage(components::kLogError, "error");
    components::LogMessage(components::kLogProgress, "progress");
    components::LogMessage(components::kLogNotice, "notice");
    EXPECT_EQ(m_log.Lines().size(), c.lines) << m_log.All();
  }
  // Without a main window the line is dropped.
  platform::HWND main = platform::GetMainWnd();
  platform::SetMainWnd(nullptr);
  m_log.Clear();
  components::LogMessage(components::kLogError, "nowhere");
  platform::SetMainWnd(main);
  EXPECT_TRUE(m_log.Lines().empty());
}

TEST_F(ModelComponentTest, InitComponentSetsStatusFour)
{
  CLabComponent component("Lab Tests");
  EXPECT_EQ(component.InitComponent(), 1);
  EXPECT_EQ(component.GetStatus(), 4u);
}
