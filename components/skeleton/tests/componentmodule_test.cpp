// Attach steps, the own component list, FindComponent and the .ini folder look-up.
#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/stopbox.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/stopboxcapture.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

// A component whose initialisation can be made to fail, and that counts its deletion.
class CProbeComponent : public CModelComponent
{
public:
  CProbeComponent(const std::string& className, bool initOk, int* pDeleted = nullptr)
      : CModelComponent(nullptr), m_bInitOk(initOk), m_pDeleted(pDeleted)
  {
    m_strClassName = className;
    m_strDllPath = components::ThisModulePath();
  }
  ~CProbeComponent() override
  {
    if (m_pDeleted != nullptr)
      ++*m_pDeleted;
  }
  int InitComponent() override { return m_bInitOk ? CModelComponent::InitComponent() : 0; }

private:
  bool m_bInitOk;
  int* m_pDeleted;
};

bool InComponentList(const CComponent* p)
{
  return std::find(_ComponentList.begin(), _ComponentList.end(), p) != _ComponentList.end();
}

class ComponentModuleTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", "");
    guiLoggingLevel = 2;
  }
  void TearDown() override
  {
    components::EndDetach();
    components::SetHarnessIniPath("");
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
  StopBoxCapture m_boxes;
};

} // namespace

TEST_F(ComponentModuleTest, ThisModuleIsTheRunningTest)
{
  EXPECT_EQ(components::ThisModulePath(), platform::ProgramFileName());
}

TEST_F(ComponentModuleTest, RegisteredComponentJoinsBothLists)
{
  auto* pComponent = new CProbeComponent("Probe", true);
  ASSERT_TRUE(components::RegisterComponent(pComponent));
  EXPECT_TRUE(InComponentList(pComponent));
  EXPECT_EQ(components::OwnComponents(), std::vector<CModelComponent*>{pComponent});
  EXPECT_EQ(pComponent->GetStatus(), 4u);
  EXPECT_EQ(pComponent->GetModelName(), "Default");
  EXPECT_TRUE(m_log.Has("The Probe Component DLL was successfully loaded.")) << m_log.All();
}

TEST_F(ComponentModuleTest, FailedStepsDeleteTheComponentAndLeaveNoTrace)
{
  int deleted = 0;
  // Initialisation fails after the component joined _ComponentList.
  auto* pLate = new CProbeComponent("Late", false, &deleted);
  EXPECT_FALSE(components::RegisterComponent(pLate));
  EXPECT_EQ(deleted, 1);
  EXPECT_FALSE(InComponentList(pLate));
  EXPECT_TRUE(components::OwnComponents().empty());
  EXPECT_FALSE(m_log.HasPart("successfully loaded"));

  // The registry entry cannot be made.
  ASSERT_EQ(platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, kComponentDllsKey), 0);
  m_log.Clear();
  auto* pEarly = new CProbeComponent("Early", true, &deleted);
  EXPECT_FALSE(components::RegisterComponent(pEarly));
  EXPECT_EQ(deleted, 2);
  EXPECT_TRUE(
      m_log.Has("ERROR: Unable to create a default registry entry for the Early Component."))
      << m_log.All();
}

TEST_F(ComponentModuleTest, WithdrawTakesEveryOwnComponentOut)
{
  int deleted = 0;
  auto* pFirst = new CProbeComponent("First", true, &deleted);
  auto* pSecond = new CProbeComponent("Second", true, &deleted);
  ASSERT_TRUE(components::RegisterComponent(pFirst));
  ASSERT_TRUE(components::RegisterComponent(pSecond));
  components::SetCurrentComponent(pSecond);
  const size_t before = _ComponentList.size();
  components::WithdrawComponents();
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(_ComponentList.size(), before - 2);
  EXPECT_TRUE(components::OwnComponents().empty());
  EXPECT_EQ(components::GetCurrentComponent(), nullptr);
}

TEST_F(ComponentModuleTest, ComponentDeletedByTheHarnessLeavesTheOwnList)
{
  auto* pComponent = new CProbeComponent("Gone", true);
  ASSERT_TRUE(components::RegisterComponent(pComponent));
  _ComponentList.remove(pComponent);
  delete pComponent;
  EXPECT_TRUE(components::OwnComponents().empty());
}

TEST_F(ComponentModuleTest, FindComponentIgnoresCaseAndReportsBrokenEntries)
{
  auto* pComponent = new CProbeComponent("Video Input Tests", true);
  ASSERT_TRUE(components::RegisterComponent(pComponent));
  EXPECT_EQ(components::FindComponent("VIDEO input tests"), pComponent);
  EXPECT_EQ(components::FindComponent("Video Input"), nullptr);

  // A null entry is reported whatever the logging level.
  guiLoggingLevel = 0;
  m_log.Clear();
  components::OwnComponents().insert(components::OwnComponents().begin(), nullptr);
  EXPECT_EQ(components::FindComponent("video input tests"), pComponent);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{
                               "ERROR 0012: Null component object found in the component list."});
  auto& own = components::OwnComponents();
  own.erase(std::remove(own.begin(), own.end(), nullptr), own.end());
}

TEST_F(ComponentModuleTest, IniFolderLookUp)
{
  m_folder.Write("bin/halvex.ini", "[General]\nRegistryKey=SOFTWARE\\Orvane\\Halvex\n");
  components::SetHarnessIniPath(m_folder.File("bin/halvex.ini"));
  const struct
  {
    const char* name;
    const char* installation;
    const char* iniFiles; // nullptr: no value
    const char* expected;
  } cases[] = {
      {"INIFilesFolder wins", "/opt/halvex", "/srv/defs", "/srv/defs"},
      {"without INIFilesFolder", "/opt/halvex", nullptr, "/opt/halvex/test/bin/"},
      {"trailing separator doubles", "/opt/halvex/", nullptr, "/opt/halvex//test/bin/"},
      {"empty INIFilesFolder counts as missing", "/opt/halvex", "", "/opt/halvex/test/bin/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(root.WriteString("InstallationFolder", c.installation), 0);
    platform::RegDeleteValue(root, "INIFilesFolder");
    if (c.iniFiles != nullptr) {
      ASSERT_EQ(root.WriteString("INIFilesFolder", c.iniFiles), 0);
    }
    std::string folder;
    EXPECT_TRUE(components::GetIniFolder(folder));
    EXPECT_EQ(folder, c.expected);
  }
  EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ComponentModuleTest, IniFolderFailuresShowStopBoxes)
{
  // No halvex.ini.
  components::SetHarnessIniPath(m_folder.File("bin/halvex.ini"));
  std::string folder = "unchanged";
  EXPECT_FALSE(components::GetIniFolder(folder));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0],
            " \"ERROR 0015: Could not read the registry key from the file " +
                m_folder.File("bin/halvex.ini") +
                ". Please make sure that this file is in the same folder as the "
                "halvex.exe file.\"\n");
  EXPECT_EQ(folder, "unchanged");

  // A root key that does not exist.
  m_folder.Write("bin/halvex.ini", "[General]\nRegistryKey=SOFTWARE\\Nobody\n");
  m_boxes.Clear();
  EXPECT_FALSE(components::GetIniFolder(folder));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0],
            "\"ERROR 0004: Could not read registry key \"SOFTWARE\\Nobody\", error code = 2.\"\n");

  // The key without InstallationFolder.
  m_folder.Write("bin/halvex.ini", "[General]\nRegistryKey=SOFTWARE\\Orvane\\Halvex\n");
  {
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(platform::RegDeleteValue(root, "InstallationFolder"), 0);
  }
  m_boxes.Clear();
  EXPECT_FALSE(components::GetIniFolder(folder));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(
      m_boxes.Boxes()[0],
      "\"ERROR 0004: Could not read registry key \"InstallationFolder\", error code = 2.\"\n");
}
