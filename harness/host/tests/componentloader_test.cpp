// The component registry walk and its rules, the look-ups, current models, configuration mode
// and the release at exit, with real plug-ins loaded from a private folder.
#include "harness/componentloader.h"

#include "plinth/component.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;
using harness::CComponentLoader;

namespace {

std::vector<std::string> ComponentNames()
{
  std::vector<std::string> names;
  for (CComponent* p : _ComponentList)
    names.push_back(p ? p->GetClassName() : "<null>");
  return names;
}

class ComponentLoaderTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(_ComponentList.empty());
    m_registry.SeedRoot("/opt/halvex", m_folder.Path() + "/defs/");
    guiLoggingLevel = 0;
  }
  void TearDown() override
  {
    m_loader.ReleaseComponents();
    EXPECT_TRUE(_ComponentList.empty());
  }

  // A copy of the probe plug-in named name + ".so" in the private folder; its path.
  std::string Probe(const std::string& name)
  {
    const std::string path = m_folder.File("plugins/" + name + ".so");
    std::filesystem::create_directories(m_folder.File("plugins"));
    std::filesystem::copy_file(PROBE_MODULE, path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
  }

  // A sub-key of the component registry; enable < 0 leaves EnableDll out, an empty path DllPath.
  void Register(const std::string& subKey, const std::string& dllPath, long enable = 1)
  {
    CRegKey key;
    ASSERT_EQ(key.CreateKeyString(platform::HKEY_LOCAL_MACHINE,
                                  std::string(kComponentDllsKey) + "\\" + subKey),
              0);
    if (!dllPath.empty()) {
      ASSERT_EQ(key.WriteString("DllPath", dllPath), 0);
    }
    if (enable >= 0) {
      ASSERT_EQ(key.WriteDword("EnableDll", static_cast<platform::DWORD>(enable)), 0);
    }
  }

  bool Logged(const std::string& part) const
  {
    return std::any_of(m_logLines.begin(), m_logLines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  std::vector<std::string> m_logLines;
  std::vector<std::string> m_errorBoxes;
  std::vector<std::string> m_infoBoxes;
  CComponentLoader m_loader{
      kRootKey, harness::LoaderCallbacks{
                    [this](unsigned, const std::string& text) { m_logLines.push_back(text); },
                    [this](const std::string& text) { m_errorBoxes.push_back(text); },
                    [this](const std::string& text) { m_infoBoxes.push_back(text); }}};
};

} // namespace

TEST_F(ComponentLoaderTest, ComponentKeyGoesToTheBaseLibrary)
{
  EXPECT_EQ(m_loader.GetComponentDllsKey(), kComponentDllsKey);
  EXPECT_EQ(gszComponentRegistryKey, kComponentDllsKey);
}

TEST_F(ComponentLoaderTest, EnableDllDecidesWhatLoads)
{
  Register("Entry1", Probe("ProbeA"), 1);
  Register("Entry2", Probe("ProbeB"), 0);
  Register("Entry3", Probe("ProbeC"), -1);
  Register("Entry4", Probe("ProbeD"), 7);
  EXPECT_TRUE(m_loader.LoadComponentDlls());
  EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"ProbeA", "ProbeC", "ProbeD"}));
  EXPECT_TRUE(Logged("EnableDll (error 2)"));
  EXPECT_EQ(m_loader.GetLoadedModules().size(), 3u);
  // Each component carries the handle of the module it came from.
  for (CComponent* p : _ComponentList) {
    SCOPED_TRACE(p->GetClassName());
    EXPECT_EQ(platform::ModuleFileName(p->GetInstanceHandle()), p->GetModuleName());
  }
  EXPECT_FALSE(m_loader.IsMarlowLoaded());
}

TEST_F(ComponentLoaderTest, MissingDllPathStopsTheWalk)
{
  Register("Entry1", Probe("ProbeA"));
  Register("Entry2", "");
  Register("Entry3", Probe("ProbeC"));
  EXPECT_FALSE(m_loader.LoadComponentDlls());
  EXPECT_EQ(ComponentNames(), std::vector<std::string>{"ProbeA"});
  EXPECT_TRUE(Logged("DllPath (error 2)"));
}

TEST_F(ComponentLoaderTest, OneDllUnderTwoSubKeysLoadsOnce)
{
  const std::string path = Probe("ProbeA");
  std::string otherCase = path;
  otherCase.replace(otherCase.rfind("ProbeA"), 6, "PROBEA");
  Register("Entry1", path);
  Register("Entry2", otherCase);
  Register("Entry3", path);
  EXPECT_TRUE(m_loader.LoadComponentDlls());
  EXPECT_EQ(ComponentNames(), std::vector<std::string>{"ProbeA"});
  EXPECT_EQ(m_loader.GetLoadedModules().size(), 1u);
}

TEST_F(ComponentLoaderTest, APathInOtherLettersFindsTheFileIgnoringCase)
{
  const std::string path = Probe("ProbeA");
  std::string otherCase = path;
  otherCase.replace(otherCase.rfind("ProbeA.so"), 9, "probea.SO");
  Register("Entry1", otherCase);
  EXPECT_TRUE(m_loader.LoadComponentDlls());
  EXPECT_EQ(ComponentNames(), std::vector<std::string>{"ProbeA"});
}

TEST_F(ComponentLoaderTest, AFailingDllIsReportedAndTheOthersLoad)
{
  Register("Entry1", Probe("FailFirst"));
  Register("Entry2", m_folder.File("plugins/Missing.so"));
  Register("Entry3", Probe("ProbeC"));
  EXPECT_TRUE(m_loader.LoadComponentDlls());
  EXPECT_EQ(ComponentNames(), std::vector<std::string>{"ProbeC"});
  EXPECT_TRUE(Logged(m_folder.File("plugins/FailFirst.so") + " could not be loaded"));
  EXPECT_TRUE(Logged(m_folder.File("plugins/Missing.so") + " could not be loaded"));
}

TEST_F(ComponentLoaderTest, NoComponentRegistry)
{
  ASSERT_EQ(platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, kComponentDllsKey), 0);
  EXPECT_FALSE(m_loader.LoadComponentDlls());
  ASSERT_EQ(m_errorBoxes.size(), 1u);
  EXPECT_NE(m_errorBoxes[0].find(kComponentDllsKey), std::string::npos);
}

TEST_F(ComponentLoaderTest, AddingByHand)
{
  const std::string path = Probe("ProbeA");
  EXPECT_EQ(m_loader.AddComponentDll(path), CComponentLoader::AddResult::Added);
  EXPECT_EQ(m_loader.AddComponentDll(path), CComponentLoader::AddResult::AlreadyLoaded);
  EXPECT_EQ(m_infoBoxes.size(), 1u);
  EXPECT_EQ(m_loader.GetLoadedModules().size(), 1u);
  EXPECT_EQ(m_loader.AddComponentDll(m_folder.File("plugins/None.so")),
            CComponentLoader::AddResult::Failed);
  // The plug-in registered itself, so the next start loads it from the registry.
  EXPECT_EQ(ReadString(std::string(kComponentDllsKey) + "\\ProbeA", "DllPath"), path);
  EXPECT_EQ(ReadDword(std::string(kComponentDllsKey) + "\\ProbeA", "EnableDll"), 1);

  std::string folder;
  EXPECT_TRUE(m_loader.GetComponentDllFolder(folder));
  EXPECT_EQ(folder, "/opt/halvex");
  {
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(root.WriteString("ComponentDllFolder", "/opt/halvex/lib/halvex/plugins"), 0);
  }
  EXPECT_TRUE(m_loader.GetComponentDllFolder(folder));
  EXPECT_EQ(folder, "/opt/halvex/lib/halvex/plugins");
}

TEST_F(ComponentLoaderTest, LookUpsIgnoreCaseAndSkipBrokenEntries)
{
  const std::string path = Probe("ProbeA");
  ASSERT_EQ(m_loader.AddComponentDll(path), CComponentLoader::AddResult::Added);
  CComponent* pProbe = _ComponentList.front();
  _ComponentList.push_front(nullptr);
  EXPECT_EQ(m_loader.FindComponentByClass("PROBEa"), pProbe);
  EXPECT_TRUE(Logged("empty entry"));
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  EXPECT_EQ(m_loader.FindComponentByModule(upper), pProbe);
  EXPECT_EQ(m_loader.FindComponentByClass("Probe"), nullptr);
  _ComponentList.remove(nullptr);
}

TEST_F(ComponentLoaderTest, CurrentModel)
{
  ASSERT_EQ(m_loader.AddComponentDll(Probe("ProbeA")), CComponentLoader::AddResult::Added);
  std::string model;
  EXPECT_TRUE(m_loader.GetCurrentModel("ProbeA", model));
  EXPECT_EQ(model, "Default");
  EXPECT_TRUE(m_loader.SetCurrentModel("probea", "Bench"));
  EXPECT_TRUE(m_loader.GetCurrentModel("ProbeA", model));
  EXPECT_EQ(model, "Bench");
  EXPECT_FALSE(m_loader.GetCurrentModel("Nobody", model));
  EXPECT_FALSE(m_loader.SetCurrentModel("Nobody", "Bench"));
  EXPECT_TRUE(Logged(std::string(kComponentDllsKey) + "\\Nobody"));
}

TEST_F(ComponentLoaderTest, ConfigurationMode)
{
  const struct
  {
    const char* name;
    long value; // < 0: missing
    bool expected;
  } cases[] = {{"missing", -1, false}, {"zero", 0, true}, {"one", 1, false}, {"other", 9, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    platform::RegDeleteValue(root, "Configurations Set");
    if (c.value >= 0) {
      ASSERT_EQ(root.WriteDword("Configurations Set", static_cast<platform::DWORD>(c.value)), 0);
    }
    EXPECT_EQ(m_loader.IsConfigMode(), c.expected);
  }
  EXPECT_TRUE(Logged("Configurations Set (error 2)"));
}

TEST_F(ComponentLoaderTest, ReleaseDeletesComponentsAndFreesModulesMarlowLast)
{
  m_folder.Write("defs/lab.ini",
                 "[test suite]\nFriendlyName=Lab\nSummaryLog=s\nLogEditor=e\n"
                 "[test case1]\nFriendlyName=One\nReturn=DOS\nImage=A\nCmdline=A\nLogfile=L\n");
  m_folder.Write("defs/bench.ini", "[test suite]\nFriendlyName=Bench\nSummaryLog=s\nLogEditor=e\n");
  Register("Entry1", MARLOW_MODULE);
  Register("Entry2", Probe("ProbeA"));
  EXPECT_TRUE(m_loader.LoadComponentDlls());
  EXPECT_TRUE(m_loader.IsMarlowLoaded());
  EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"Bench", "Lab", "ProbeA"}));
  // The harness loads Marlow once more by itself; both loads are undone at release.
  ASSERT_NE(m_loader.LoadComponentDll(MARLOW_MODULE), nullptr);
  EXPECT_EQ(m_loader.GetLoadedModules().size(), 3u);
  EXPECT_NE(CRuntimeClass::FromName("CTestcaseEx"), nullptr);
  m_loader.ReleaseComponents();
  EXPECT_TRUE(_ComponentList.empty());
  EXPECT_TRUE(m_loader.GetLoadedModules().empty());
  EXPECT_FALSE(m_loader.IsMarlowLoaded());
  EXPECT_EQ(CRuntimeClass::FromName("CTestcaseEx"), nullptr);
}
