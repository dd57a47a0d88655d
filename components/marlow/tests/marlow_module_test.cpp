// Marlow.so loaded as the harness loads it: attach over a folder of definitions, the registry it
// leaves, and what a failed attach or an unload leaves behind.
#include "plinth/component.h"
#include "plinth/dosbatch.h"

#include "platform/modules.h"

#include "testsupport/doslayout.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/suiteitemlist.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace testsupport;

namespace {

std::string Definition(const std::string& suiteName, const std::string& testName)
{
  return "[test suite]\nFriendlyName=" + suiteName +
         "\nSummaryLog=s.log\nLogEditor=parlo\nDebugLevel=2\n"
         "[test case1]\nFriendlyName=" +
         testName +
         "\nImage=probe.sh\nCmdline=./probe.sh\nLogfile=./probe.log\nMaxExecutionTime=1000\n"
         "[test case2]\nFriendlyName=" +
         testName + " DOS\nReturn=DOS\nImage=P.EXE\nCmdline=P.EXE\nLogfile=C:\\P.LOG\n";
}

std::vector<std::string> ComponentNames()
{
  std::vector<std::string> names;
  for (CComponent* p : _ComponentList)
    names.push_back(p->GetClassName());
  return names;
}

// Deletes the components and frees the module, in the harness's exit order.
void Release(platform::HMODULE module)
{
  while (!_ComponentList.empty()) {
    CComponent* p = _ComponentList.front();
    _ComponentList.pop_front();
    delete p;
  }
  EXPECT_TRUE(platform::FreeLibrary(module));
}

class MarlowModuleTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(_ComponentList.empty());
    m_registry.SeedRoot("/opt/halvex", m_folder.Path() + "/defs/");
    guiLoggingLevel = 3;
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  LogCapture m_log;
};

} // namespace

TEST_F(MarlowModuleTest, ThreeFilesOfWhichTheSecondDoesNotParse)
{
  m_folder.Write("defs/a.ini", Definition("Alpha", "First"));
  m_folder.Write("defs/b.ini", "[test suite]\nFriendlyName=Broken\n");
  m_folder.Write("defs/c.ini", Definition("Gamma", "Third"));
  m_folder.Write("defs/readme.txt", "not a definition");

  platform::HMODULE module = platform::LoadLibrary(MARLOW_MODULE);
  ASSERT_NE(module, nullptr) << platform::LastModuleError() << "\n" << m_log.All();
  const std::string modulePath = platform::ModuleFileName(module);
  EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"Alpha", "Gamma"}));

  const CComponent* pAlpha = _ComponentList.front();
  EXPECT_EQ(pAlpha->GetModuleName(), modulePath);
  EXPECT_EQ(pAlpha->GetStatus(), 4u);
  EXPECT_EQ(pAlpha->GetIconId(), 134);
  EXPECT_EQ(pAlpha->GetModelName(), "Default");
  ASSERT_EQ(pAlpha->m_TestCaseList.size(), 2u);
  EXPECT_EQ(pAlpha->m_TestCaseList.front()->GetLabel(), "First");
  EXPECT_STREQ(pAlpha->m_TestCaseList.front()->GetRuntimeClass()->m_lpszClassName, "CTestcaseEx");
  EXPECT_EQ(pAlpha->m_TestCaseList.back()->GetLabel(), "First DOS");

  EXPECT_EQ(SubKeys(kComponentDllsKey), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_EQ(ReadString(std::string(kComponentDllsKey) + "\\Gamma", "DllPath"), modulePath);
  EXPECT_EQ(ReadDword(std::string(kComponentDllsKey) + "\\Gamma", "EnableDll"), 1);

  EXPECT_TRUE(m_log.Has("The " + modulePath + " Component Dll is now loading.")) << m_log.All();
  EXPECT_TRUE(m_log.Has("Invalid TestSuite: -  .ini file: " + m_folder.Path() + "/defs//b.ini-"))
      << m_log.All();
  EXPECT_TRUE(m_log.Has("The Alpha Component DLL was successfully loaded."));
  EXPECT_TRUE(m_log.Has("The Gamma Component DLL was successfully loaded."));
  // The test-case class is known while the module is loaded.
  EXPECT_NE(CRuntimeClass::FromName("CTestcaseEx"), nullptr);

  Release(module);
  EXPECT_EQ(CRuntimeClass::FromName("CTestcaseEx"), nullptr);
}

TEST_F(MarlowModuleTest, SecondLoadKeepsTheStoredModel)
{
  m_folder.Write("defs/a.ini", Definition("Alpha", "First"));
  platform::HMODULE module = platform::LoadLibrary(MARLOW_MODULE);
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  Release(module);
  {
    CRegKey key;
    ASSERT_EQ(key.Open(platform::HKEY_LOCAL_MACHINE, std::string(kComponentDllsKey) + "\\Alpha"),
              0);
    ASSERT_EQ(key.WriteString("CurrentModel", "Bench"), 0);
    CRegKey model;
    ASSERT_EQ(model.CreateKeyString(key, "Bench"), 0);
    for (const char* value :
         {"Manufacturer", "DriverVersion", "FirmwareVersion", "OEMName", "SerialNumber"}) {
      ASSERT_EQ(model.WriteString(value, std::string("bench ") + value), 0);
    }
  }
  m_log.Clear();
  module = platform::LoadLibrary(MARLOW_MODULE);
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  EXPECT_TRUE(m_log.Has("The Alpha component class already has a registry entry.")) << m_log.All();
  EXPECT_TRUE(m_log.Has("Initializing (component Alpha, model Bench) with registry values."));
  EXPECT_FALSE(m_log.HasPart("Saving (component"));
  ASSERT_EQ(_ComponentList.size(), 1u);
  EXPECT_EQ(_ComponentList.front()->GetModelName(), "Bench");
  EXPECT_EQ(_ComponentList.front()->GetManufacturer(), "bench Manufacturer");
  EXPECT_EQ(ReadString(std::string(kComponentDllsKey) + "\\Alpha", "CurrentModel"), "Bench");
  Release(module);
}

TEST_F(MarlowModuleTest, NoDefinitionsFailTheLoad)
{
  m_folder.Write("defs/notes.txt", "nothing here");
  EXPECT_EQ(platform::LoadLibrary(MARLOW_MODULE), nullptr);
  EXPECT_TRUE(m_log.Has(".ini files are not found in the <" + m_folder.Path() +
                        "/defs//*.ini> directory. Check the InstallationFolder key in rgistry"))
      << m_log.All();
  EXPECT_TRUE(_ComponentList.empty());
}

TEST_F(MarlowModuleTest, FailedAttachWithdrawsEarlierComponents)
{
  m_folder.Write("defs/a.ini", Definition("Alpha", "First"));
  // A name the registry refuses as a key name.
  m_folder.Write("defs/b.ini", Definition("Bad\x01Name", "Second"));
  EXPECT_EQ(platform::LoadLibrary(MARLOW_MODULE), nullptr);
  EXPECT_TRUE(_ComponentList.empty()) << ComponentNames().size();
  EXPECT_TRUE(m_log.HasPart("ERROR: Could create registry key. CRegKey::CreateKeyString (Bad"))
      << m_log.All();
  EXPECT_TRUE(
      m_log.Has("ERROR: Unable to create a default registry entry for the Bad\x01Name Component."));
  EXPECT_EQ(CRuntimeClass::FromName("CTestcaseEx"), nullptr);
}

TEST_F(MarlowModuleTest, UnloadWithComponentsStillListedWithdrawsThem)
{
  m_folder.Write("defs/a.ini", Definition("Alpha", "First"));
  platform::HMODULE module = platform::LoadLibrary(MARLOW_MODULE);
  ASSERT_NE(module, nullptr) << platform::LastModuleError();
  ASSERT_EQ(_ComponentList.size(), 1u);
  EXPECT_TRUE(platform::FreeLibrary(module));
  EXPECT_TRUE(_ComponentList.empty());
}

TEST_F(MarlowModuleTest, LoggingLevelZeroSendsOnlyErrors)
{
  guiLoggingLevel = 0;
  m_folder.Write("defs/a.ini", Definition("Alpha", "First"));
  m_folder.Write("defs/b.ini", "[test suite]\nFriendlyName=Broken\n");
  platform::HMODULE module = platform::LoadLibrary(MARLOW_MODULE);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(m_log.Lines(), std::vector<std::string>{"Invalid TestSuite: -  .ini file: " +
                                                    m_folder.Path() + "/defs//b.ini-"});
  Release(module);
}

TEST_F(MarlowModuleTest, DosExportsByNameAndOneBatchCounterPerLoad)
{
  DosLayout dos{m_folder};
  {
    CRegKey root;
    ASSERT_EQ(root.Open(platform::HKEY_LOCAL_MACHINE, kRootKey), 0);
    ASSERT_EQ(root.WriteString("INIFilesFolder", dos.File("DEFS/")), 0);
  }
  m_folder.Write("DRIVE_C/DEFS/a.ini",
                 "[test suite]\nFriendlyName=Alpha\nSummaryLog=s\nLogEditor=e\nDebugLevel=2\n"
                 "[test case1]\nFriendlyName=Mem test\nReturn=DOS\nImage=M.BAT\n"
                 "Cmdline=./M.BAT ./M.LOG\nLogfile=./M.LOG\n");
  m_folder.Write("DRIVE_C/DEFS/M.BAT", "");
  for (const char* autoexec : {"first load", "second load"}) {
    SCOPED_TRACE(autoexec);
    WriteAll(dos.File("AUTOEXEC.BAT"), autoexec);
    platform::HMODULE module = platform::LoadLibrary(MARLOW_MODULE);
    ASSERT_NE(module, nullptr) << platform::LastModuleError() << m_log.All();
    auto checkDos = reinterpret_cast<CheckForDosTestCasesFn>(
        platform::GetProcAddress(module, kCheckForDosTestCasesName));
    auto checkWindows = reinterpret_cast<CheckForWindowsTestCasesFn>(
        platform::GetProcAddress(module, kCheckForWindowsTestCasesName));
    auto prepare = reinterpret_cast<PrepareBatchComponentListFn>(
        platform::GetProcAddress(module, kPrepareBatchComponentListName));
    auto debugLevel = reinterpret_cast<GetSuiteDebugLevelFn>(
        platform::GetProcAddress(module, kGetSuiteDebugLevelName));
    ASSERT_TRUE(checkDos && checkWindows && prepare && debugLevel);

    ASSERT_EQ(_ComponentList.size(), 1u);
    std::unique_ptr<CTestCase> pTestCase(_ComponentList.front()->m_TestCaseList.front()->Clone());
    SuiteItemList list;
    list.Add(pTestCase.get());
    EXPECT_EQ(checkDos(&list, nullptr, kListNextAll), kBatchKindDos);
    EXPECT_EQ(checkWindows(&list, nullptr, kListNextAll), 0);
    EXPECT_EQ(debugLevel("alpha"), 2);
    EXPECT_EQ(debugLevel("Kestrel"), 0);
    std::string results = m_folder.File("results.txt");
    CBatchCodeList codes;
    int kind = 0;
    EXPECT_EQ(prepare(&list, nullptr, &results, &codes, kListNextAll, &kind, 1), 1);
    EXPECT_EQ(codes, CBatchCodeList{kBatchCodeDos});
    EXPECT_EQ(kind, kBatchKindDos);

    // Every load numbers from 1 and backs up the start-up files once.
    EXPECT_EQ(pTestCase->Execute(), kTestStatusPrepared) << m_log.All();
    EXPECT_EQ(pTestCase->Execute(), kTestStatusPrepared);
    EXPECT_TRUE(std::filesystem::exists(dos.BatchFile("Mem_t001.bat")));
    EXPECT_TRUE(std::filesystem::exists(dos.BatchFile("Mem_t002.bat")));
    EXPECT_EQ(ReadAll(dos.File("AUTOEXEC.BAK")), autoexec);
    EXPECT_EQ(ReadAll(dos.BatchFile("Marlow.bat")), "\r\ncall Mem_t001.bat\r\ncall Mem_t002.bat");

    EXPECT_EQ(prepare(&list, nullptr, &results, &codes, kListNextAll, &kind, 0), 1);
    EXPECT_FALSE(std::filesystem::exists(dos.BatchFile("Mem_t001.bat")));
    EXPECT_EQ(ReadAll(dos.BatchFile("Marlow.bat")), "");
    // The test case's code leaves with the module.
    pTestCase.reset();
    Release(module);
  }
}
