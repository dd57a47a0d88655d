// CTestcaseEx: construction from a definition, copying, and its bytes in a .ts file.
#include "marlow/inicomponent.h"
#include "marlow/testcaseex.h"
#include "marlow/testcaseexdialog.h"

#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include "testsupport/logcapture.h"
#include "testsupport/offscreen.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

using namespace testsupport;

namespace {

class CLabComponent : public CModelComponent
{
public:
  CLabComponent() : CModelComponent(nullptr)
  {
    m_strClassName = "Lab Tests";
    m_strModelName = "Bench";
  }
};

CTestcaseEx MakeDos(CComponent* pComponent, const std::string& returnType,
                    const std::string& logFile = "/nonexistent/x.log")
{
  return CTestcaseEx(pComponent, "lab.ini", "Boot", returnType, "BOOT.EXE", "BOOT.EXE /Q", "",
                     logFile);
}

std::vector<uint8_t> Store(CTestSuite& suite)
{
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    suite.Serialize(ar);
    EXPECT_TRUE(ar.Close());
  }
  return file.Data();
}

// Every field the class and its base carry, against the test case it should equal.
void ExpectSameFields(const CTestcaseEx& actual, const CTestcaseEx& expected)
{
  EXPECT_EQ(actual.GetClassName(), expected.GetClassName());
  EXPECT_EQ(actual.GetLabel(), expected.GetLabel());
  EXPECT_EQ(actual.GetModelName(), expected.GetModelName());
  EXPECT_EQ(actual.m_nIterations, expected.m_nIterations);
  EXPECT_EQ(actual.m_dwStatus, expected.m_dwStatus);
  EXPECT_EQ(actual.m_strIniFileName, expected.m_strIniFileName);
  EXPECT_EQ(actual.m_strTestCaseName, expected.m_strTestCaseName);
  EXPECT_EQ(actual.m_strReturnType, expected.m_strReturnType);
  EXPECT_EQ(actual.m_strBatchState, expected.m_strBatchState);
  EXPECT_EQ(actual.m_strImage, expected.m_strImage);
  EXPECT_EQ(actual.m_strCmdLine, expected.m_strCmdLine);
  EXPECT_EQ(actual.m_strMaxExecutionTime, expected.m_strMaxExecutionTime);
  EXPECT_EQ(actual.m_strLogFile, expected.m_strLogFile);
  EXPECT_EQ(actual.m_dwLogTimeStamp, expected.m_dwLogTimeStamp);
}

} // namespace

TEST(TestcaseEx, DefaultConstruction)
{
  CTestcaseEx testCase;
  EXPECT_EQ(testCase.GetClassName(), "Marlow");
  EXPECT_EQ(testCase.GetLabel(), "TestcaseEx");
  EXPECT_EQ(testCase.GetModelName(), "Default");
  EXPECT_EQ(testCase.m_strTestCaseName, "");
  EXPECT_EQ(testCase.m_dwLogTimeStamp, 0u);
  EXPECT_TRUE(testCase.IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase)));
  EXPECT_STREQ(testCase.GetRuntimeClass()->m_lpszClassName, "CTestcaseEx");
  EXPECT_EQ(testCase.GetRuntimeClass()->m_wSchema, 1);
  CObject* pCreated = CRuntimeClass::CreateObject("CTestcaseEx");
  ASSERT_NE(pCreated, nullptr);
  EXPECT_TRUE(pCreated->IsKindOf(PLINTH_RUNTIME_CLASS(CTestcaseEx)));
  delete pCreated;
}

TEST(TestcaseEx, ConstructionFromADefinition)
{
  TempFolder folder;
  folder.Write("probe.log", "+TEST+ PASS\n");
  struct utimbuf times
  {
    1700000000, 1700000123
  };
  ASSERT_EQ(utime(folder.File("probe.log").c_str(), &times), 0);

  CLabComponent component;
  CTestcaseEx testCase(&component, "lab.ini", "Probe", "WINDOWS", "probe.sh", "./probe.sh pass",
                       "60000", folder.File("probe.log"));
  EXPECT_EQ(testCase.GetClassName(), "Lab Tests");
  EXPECT_EQ(testCase.GetLabel(), "Probe");
  EXPECT_EQ(testCase.GetModelName(), "Bench");
  EXPECT_EQ(testCase.m_nIterations, 1);
  EXPECT_EQ(testCase.m_dwStatus, 1u);
  EXPECT_EQ(testCase.m_strIniFileName, "lab.ini");
  EXPECT_EQ(testCase.m_strTestCaseName, "Probe");
  EXPECT_EQ(testCase.m_strReturnType, "WINDOWS");
  EXPECT_EQ(testCase.m_strBatchState, "");
  EXPECT_EQ(testCase.m_strImage, "probe.sh");
  EXPECT_EQ(testCase.m_strCmdLine, "./probe.sh pass");
  EXPECT_EQ(testCase.m_strMaxExecutionTime, "60000");
  EXPECT_EQ(testCase.m_strLogFile, folder.File("probe.log"));
  EXPECT_EQ(testCase.m_dwLogTimeStamp, 1700000123u);
  EXPECT_EQ(testCase.m_FileStatus.modificationTime, 1700000123);
}

TEST(TestcaseEx, BatchStateFollowsTheReturnType)
{
  CLabComponent component;
  const struct
  {
    const char* returnType;
    const char* batchState;
  } cases[] = {{"DOS", "Prebootbatch"},
               {"Dos", "Prebootbatch"},
               {"dosbatch", "Prebootbatch"},
               {"DOSBatch", "Prebootbatch"},
               {"WINDOWS", ""},
               {"windows", ""},
               {"DO", ""},
               {"OS2", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.returnType);
    CTestcaseEx testCase = MakeDos(&component, c.returnType);
    EXPECT_EQ(testCase.m_strBatchState, c.batchState);
    // A log file that cannot be read gives time stamp 0.
    EXPECT_EQ(testCase.m_dwLogTimeStamp, 0u);
  }
}

TEST(TestcaseEx, NotAComponentLeavesTheFieldsEmpty)
{
  LogCapture log;
  guiLoggingLevel = 0;
  CTestcaseEx testCase(nullptr, "lab.ini", "Probe", "DOS", "x", "y", "1", "z");
  guiLoggingLevel = 1;
  EXPECT_EQ(log.Lines(),
            std::vector<std::string>{"Invalid CComponent object used in CTestcaseEx()."});
  EXPECT_EQ(testCase.GetLabel(), "");
  EXPECT_EQ(testCase.m_strTestCaseName, "");
  EXPECT_EQ(testCase.m_strBatchState, "");
}

TEST(TestcaseEx, CopyFromAndCloneCarryEveryField)
{
  CLabComponent component;
  CTestcaseEx prototype = MakeDos(&component, "DOSBatch");
  prototype.m_dwLogTimeStamp = 42;
  prototype.m_strMaxExecutionTime = "9";
  prototype.m_nIterations = 5;
  prototype.m_dwStatus = kTestStatusPassed;

  CTestcaseEx copy;
  copy.CopyFrom(&prototype);
  std::unique_ptr<CTestCase> pClone(prototype.Clone());
  ASSERT_NE(pClone, nullptr);
  ASSERT_TRUE(pClone->IsKindOf(PLINTH_RUNTIME_CLASS(CTestcaseEx)));
  const CTestcaseEx* pCloneEx = static_cast<const CTestcaseEx*>(pClone.get());
  // The prototype's fields differ from a default test case's in every field.
  const CTestcaseEx blank;
  EXPECT_NE(prototype.GetClassName(), blank.GetClassName());
  EXPECT_NE(prototype.GetModelName(), blank.GetModelName());
  EXPECT_NE(prototype.m_strBatchState, blank.m_strBatchState);
  EXPECT_NE(prototype.m_strMaxExecutionTime, blank.m_strMaxExecutionTime);
  for (const CTestcaseEx* p : std::vector<const CTestcaseEx*>{&copy, pCloneEx}) {
    ExpectSameFields(*p, prototype);
    EXPECT_EQ(p->m_strReturnType, "DOSBatch");
    EXPECT_EQ(p->m_dwLogTimeStamp, 42u);
  }
  // A plain test case copies the base fields only.
  CTestCase plain;
  plain.m_strLabel = "Plain";
  copy.CopyFrom(&plain);
  EXPECT_EQ(copy.GetLabel(), "Plain");
  EXPECT_EQ(copy.m_strTestCaseName, "Boot");
}

TEST(TestcaseEx, ConfigurationDialogShowsTheDefinitionReadOnly)
{
  TestApplication();
  CLabComponent component;
  CTestcaseEx testCase(&component, "lab.ini", "Probe", "WINDOWS", "probe.sh",
                       "./probe.sh pass ./p.log", "60000", "./p.log");
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<CTestcaseExDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Probe Configuration");
    const struct
    {
      const char* name;
      const char* text;
    } fields[] = {{"IniFile", "lab.ini"},
                  {"ReturnType", "WINDOWS"},
                  {"ExecutionPath", "./probe.sh pass ./p.log"},
                  {"LogFile", "./p.log"},
                  {"Version", "Unknown"}};
    for (const auto& field : fields) {
      SCOPED_TRACE(field.name);
      auto* edit = dialog->findChild<QLineEdit*>(field.name);
      ASSERT_NE(edit, nullptr);
      EXPECT_EQ(edit->text(), field.text);
      EXPECT_TRUE(edit->isReadOnly());
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    EXPECT_EQ(buttons->buttons().size(), 1);
    buttons->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_EQ(testCase.Configure(), 1);
  EXPECT_EQ(testCase.m_strCmdLine, "./probe.sh pass ./p.log");
  EXPECT_EQ(testCase.m_strTestCaseName, "Probe");

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(testCase.Configure(), 2);
}

// A suite with one test case, byte by byte as the file holds it.
TEST(TestcaseEx, SuiteFileBytesAndReadBack)
{
  CLabComponent component;
  auto* pTestCase =
      new CTestcaseEx(&component, "lab.ini", "Boot", "DOS", "B.EXE", "B.EXE /Q", "", "C:\\B.LOG");
  pTestCase->m_nIterations = 3;
  pTestCase->m_dwStatus = kTestStatusNotRun;
  pTestCase->m_dwLogTimeStamp = 0x12345678;
  pTestCase->m_strMaxExecutionTime = "60";
  CTestSuite suite;
  suite.push_back(pTestCase);
  suite.m_strName = "S";
  suite.m_strPath = "/t.ts";
  suite.m_strComponent = "Lab Tests";
  suite.m_dwSuiteValue = 1;

  const char expected[] = "\x01\x00" // one test case
                          "\xFF\xFF\x01\x00\x0B\x00"
                          "CTestcaseEx" // new class, schema 1
                          "\x09"
                          "Lab Tests" // owner class name
                          "\x04"
                          "Boot" // label
                          "\x05"
                          "Bench"            // model name
                          "\x03\x00\x00\x00" // iterations
                          "\x07\x00\x00\x00" // status
                          "\x07"
                          "lab.ini" // .ini file name
                          "\x04"
                          "Boot" // test case name
                          "\x03"
                          "DOS" // return type
                          "\x0C"
                          "Prebootbatch" // batch state
                          "\x05"
                          "B.EXE" // image
                          "\x08"
                          "B.EXE /Q" // command line
                          "\x08"
                          "C:\\B.LOG"        // log file
                          "\x78\x56\x34\x12" // log time stamp
                          "\x02"
                          "60" // maximum execution time
                          "\x01"
                          "S" // suite name
                          "\x05"
                          "/t.ts" // path
                          "\x09"
                          "Lab Tests"         // component text
                          "\x01\x00\x00\x00"; // suite value
  const std::vector<uint8_t> expectedBytes(expected, expected + sizeof expected - 1);
  const std::vector<uint8_t> written = Store(suite);
  EXPECT_EQ(written, expectedBytes);

  CMemFile file(expectedBytes.data(), expectedBytes.size());
  CArchive ar(&file, CArchive::load);
  CTestSuite loaded;
  loaded.Serialize(ar);
  ASSERT_FALSE(ar.Failed()) << ArchiveErrorText(ar.GetError()) << " at " << ar.GetErrorOffset();
  ASSERT_EQ(loaded.size(), 1u);
  ASSERT_TRUE(loaded.front()->IsKindOf(PLINTH_RUNTIME_CLASS(CTestcaseEx)));
  ExpectSameFields(*static_cast<const CTestcaseEx*>(loaded.front()), *pTestCase);
  EXPECT_EQ(loaded.GetName(), "S");

  // Storing the loaded suite again gives the same bytes.
  EXPECT_EQ(Store(loaded), expectedBytes);
}

TEST(TestcaseEx, TruncatedRecordFailsWithoutATestCase)
{
  CLabComponent component;
  CTestSuite suite;
  suite.push_back(new CTestcaseEx(&component, "lab.ini", "Boot", "DOS", "B", "B", "", "L"));
  const std::vector<uint8_t> bytes = Store(suite);
  for (size_t cut = 1; cut + 4 < bytes.size(); cut += 7) {
    SCOPED_TRACE(cut);
    CMemFile file(bytes.data(), cut);
    CArchive ar(&file, CArchive::load);
    CTestSuite loaded;
    loaded.Serialize(ar);
    EXPECT_TRUE(ar.Failed());
    EXPECT_TRUE(loaded.empty());
  }
}
