// The DOS exports over a suite list of Marlow's and other components' test cases: codes, kinds,
// batch states, the selection flags, the debug level and the resume pass's clean-up.
#include "marlow/batchexports.h"
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"

#include "skeleton/componentmodule.h"

#include "testsupport/doslayout.h"
#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/suiteitemlist.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class BatchExportsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", "");
    m_folder.Write("defs/lab.ini",
                   "[test suite]\nFriendlyName=Lab\nSummaryLog=s\nLogEditor=e\nDebugLevel=3\n"
                   "[test case1]\nFriendlyName=Mem\nReturn=Dos\nImage=M.EXE\nCmdline=M.EXE\n"
                   "Logfile=M.LOG\n"
                   "[test case2]\nFriendlyName=Win\nReturn=WINDOWS\nImage=w\nCmdline=w\n"
                   "Logfile=w.log\nMaxExecutionTime=1\n"
                   "[test case3]\nFriendlyName=Batch\nReturn=DOSBatch\nImage=B.EXE\n"
                   "Cmdline=B.EXE\nLogfile=B.LOG\n");
    m_pComponent = std::make_unique<CIniComponent>(nullptr, m_folder.File("defs/lab.ini"));
    m_pComponent->m_nDebugLevel = 3;
    components::OwnComponents().push_back(m_pComponent.get());
    components::SetCurrentComponent(m_pComponent.get());
    ASSERT_EQ(m_pComponent->m_TestCaseList.size(), 3u);
    for (CTestCase* pPrototype : m_pComponent->m_TestCaseList)
      m_testCases.emplace_back(static_cast<CTestcaseEx*>(pPrototype->Clone()));
    m_foreign.m_strClassName = "Kestrel";
  }
  void TearDown() override
  {
    components::OwnComponents().clear();
    components::SetCurrentComponent(nullptr);
  }

  CTestcaseEx& Dos() { return *m_testCases[0]; }
  CTestcaseEx& Windows() { return *m_testCases[1]; }
  CTestcaseEx& DosBatch() { return *m_testCases[2]; }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  DosLayout m_dos{m_folder};
  LogCapture m_log;
  std::unique_ptr<CIniComponent> m_pComponent;
  std::vector<std::unique_ptr<CTestcaseEx>> m_testCases;
  CTestCase m_foreign;
};

} // namespace

TEST_F(BatchExportsTest, PreparationPassCodesKindAndBatchStates)
{
  SuiteItemList list;
  for (CTestCase* p : {static_cast<CTestCase*>(&Dos()), static_cast<CTestCase*>(&Windows()),
                       static_cast<CTestCase*>(&DosBatch()), &m_foreign})
    list.Add(p);
  CBatchCodeList codes{7};
  int kind = 0;
  std::string results = m_folder.File("results.txt");
  EXPECT_EQ(marlow::PrepareBatchComponentList(&list, &results, &codes, kListNextAll, &kind, 1), 1);
  // Appended at the tail; DOSBatch counts as another kind of test.
  EXPECT_EQ(codes, (CBatchCodeList{7, 1000, 1001, 1001, 1006}));
  EXPECT_EQ(kind, kBatchKindDos);
  EXPECT_EQ(Dos().m_strBatchState, "Prebootbatch");
  EXPECT_EQ(Windows().m_strBatchState, "PreBoot");
  EXPECT_EQ(DosBatch().m_strBatchState, "PreBoot");
  EXPECT_EQ(m_pComponent->m_strResultsFilePath, results);

  EXPECT_EQ(marlow::CheckForDosTestCases(&list, kListNextAll), kBatchKindDos);
  EXPECT_EQ(marlow::CheckForWindowsTestCases(&list, kListNextAll), kBatchKindWindows);
}

TEST_F(BatchExportsTest, KindsAndChecksByWhatTheVisitedItemsHold)
{
  const struct
  {
    const char* what;
    std::vector<int> items; // 0 DOS, 1 Windows, 2 DOSBatch, 3 foreign
    int kind;
    int dos;
    int windows;
  } cases[] = {
      {"nothing", {}, -1, 0, 0},
      {"only another component's", {3, 3}, -1, 0, 0},
      {"Windows and DOSBatch", {2, 1}, 1005, 0, 1005},
      {"DOSBatch alone", {2}, 1005, 0, 0},
      {"DOS after Windows", {1, 0}, 1003, 1003, 1005},
      {"DOS alone", {0, 3}, 1003, 1003, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SuiteItemList list;
    for (int i : c.items)
      list.Add(i == 3 ? &m_foreign : static_cast<CTestCase*>(m_testCases[std::size_t(i)].get()));
    CBatchCodeList codes;
    int kind = 0;
    marlow::PrepareBatchComponentList(&list, nullptr, &codes, kListNextAll, &kind, 1);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(codes.size(), c.items.size());
    EXPECT_EQ(marlow::CheckForDosTestCases(&list, kListNextAll), c.dos);
    EXPECT_EQ(marlow::CheckForWindowsTestCases(&list, kListNextAll), c.windows);
  }
}

TEST_F(BatchExportsTest, OnlySelectedItemsAreVisitedWithTheSelectionFlag)
{
  SuiteItemList list;
  list.Add(&Dos());
  list.Add(&Windows(), true);
  CBatchCodeList codes;
  int kind = 0;
  // Only the low 16 bits select.
  const unsigned flags = 0x10000 | kListNextSelected;
  marlow::PrepareBatchComponentList(&list, nullptr, &codes, flags, &kind, 1);
  EXPECT_EQ(codes, CBatchCodeList{1001});
  EXPECT_EQ(kind, kBatchKindWindows);
  EXPECT_EQ(marlow::CheckForDosTestCases(&list, flags), 0);
  EXPECT_EQ(marlow::CheckForDosTestCases(&list, kListNextAll), kBatchKindDos);
}

TEST_F(BatchExportsTest, EachPassStartsFromAnEmptyBatchList)
{
  fs::create_directories(m_dos.BatchFolder());
  WriteAll(m_dos.BatchFile("Marlow.bat"), "\r\ncall Mem001.bat");
  WriteAll(m_dos.BatchFile("Mem001.bat"), "REM");
  SuiteItemList list;
  list.Add(&Dos());
  list.Add(&Windows());
  CBatchCodeList codes;
  int kind = 0;
  marlow::PrepareBatchComponentList(&list, nullptr, &codes, kListNextAll, &kind, 0);
  EXPECT_EQ(codes, (CBatchCodeList{1000, 1001}));
  EXPECT_EQ(Dos().m_strBatchState, "BatchResume");
  EXPECT_EQ(Windows().m_strBatchState, "PreBoot");
  EXPECT_FALSE(fs::exists(m_dos.BatchFile("Mem001.bat")));
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");

  // A preparation pass starts a new list too: what an earlier one left never reached DOS.
  WriteAll(m_dos.BatchFile("Marlow.bat"), "\r\ncall Mem001.bat");
  WriteAll(m_dos.BatchFile("Mem001.bat"), "REM");
  marlow::PrepareBatchComponentList(&list, nullptr, &codes, kListNextAll, &kind, 1);
  EXPECT_FALSE(fs::exists(m_dos.BatchFile("Mem001.bat")));
  EXPECT_EQ(ReadAll(m_dos.BatchFile("Marlow.bat")), "");
}

TEST_F(BatchExportsTest, DebugLevelOfOwnComponentsOnly)
{
  EXPECT_EQ(marlow::GetSuiteDebugLevel("Lab"), 3);
  EXPECT_EQ(marlow::GetSuiteDebugLevel("LAB"), 3);
  EXPECT_EQ(marlow::GetSuiteDebugLevel("Kestrel"), 0);
  EXPECT_EQ(marlow::GetSuiteDebugLevel(""), 0);
}

TEST_F(BatchExportsTest, MissingArgumentsAreNoFault)
{
  int kind = 0;
  EXPECT_EQ(marlow::PrepareBatchComponentList(nullptr, nullptr, nullptr, 0, &kind, 1), 1);
  EXPECT_EQ(kind, kBatchKindNone);
  SuiteItemList list;
  list.Add(&Dos());
  EXPECT_EQ(marlow::PrepareBatchComponentList(&list, nullptr, nullptr, 0, nullptr, 1), 1);
  EXPECT_EQ(marlow::CheckForDosTestCases(nullptr, 0), 0);
  EXPECT_EQ(marlow::CheckForWindowsTestCases(nullptr, 0), 0);
}
