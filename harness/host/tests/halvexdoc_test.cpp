// The suite document with real files: open, save, save-as, close and the edits.
#include "harness/halvexdoc.h"

#include "plinth/archive.h"

#include "testsupport/logcapture.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testsupport;
using harness::CHalvexDoc;
using harness::SaveChangesAnswer;

namespace {

constexpr const char* kSeveral = "Several components";

CTestCase* MakeCase(const std::string& className, const std::string& label)
{
  auto* p = new CTestCase;
  p->m_strClassName = className;
  p->m_strLabel = label;
  return p;
}

class SuiteDocumentTest : public ::testing::Test
{
protected:
  SuiteDocumentTest()
  {
    m_callbacks.log = [this](unsigned int level, const std::string& text) {
      m_log.push_back(std::to_string(level) + ": " + text);
    };
    m_callbacks.errorBox = [this](const std::string& text) { m_errorBoxes.push_back(text); };
    m_callbacks.warningBox = [this](const std::string& text) { m_warningBoxes.push_back(text); };
    m_callbacks.showSuitePropertiesNew = [this](CTestSuite& suite) {
      ++m_sheets;
      m_sheetComponent = suite.m_strComponent;
      if (!m_sheetAccepts)
        return false;
      suite.m_strName = "Named in sheet";
      return true;
    };
    m_callbacks.askSavePath = [this](const std::string&) {
      ++m_prompts;
      return m_savePath;
    };
    m_callbacks.askSaveChanges = [this](const std::string&) {
      ++m_questions;
      return m_answer;
    };
    m_callbacks.refreshSuitesTree = [this] { ++m_treeRefreshes; };
  }

  // A document holding two test cases, saved at name.
  std::unique_ptr<CHalvexDoc> SavedDocument(const std::string& name)
  {
    auto doc = std::make_unique<CHalvexDoc>(m_callbacks);
    doc->OnNewDocument("Suite1");
    doc->m_suite.push_back(MakeCase("Lab", "One"));
    doc->m_suite.push_back(MakeCase("Lab", "Two"));
    m_savePath = m_folder.File(name);
    EXPECT_TRUE(doc->OnFileSaveAs(kSeveral));
    return doc;
  }

  TempFolder m_folder;
  harness::DocumentCallbacks m_callbacks;
  std::vector<std::string> m_log, m_errorBoxes, m_warningBoxes;
  int m_sheets = 0, m_prompts = 0, m_questions = 0, m_treeRefreshes = 0;
  bool m_sheetAccepts = true;
  std::string m_sheetComponent;
  std::string m_savePath;
  SaveChangesAnswer m_answer = SaveChangesAnswer::Cancel;
};

} // namespace

TEST_F(SuiteDocumentTest, NewSuiteSavesThroughSheetAndPromptAndOpensAgain)
{
  auto doc = SavedDocument("nightly.ts");
  EXPECT_EQ(m_sheets, 1);
  EXPECT_EQ(m_prompts, 1);
  EXPECT_EQ(m_sheetComponent, "Lab");
  EXPECT_EQ(m_treeRefreshes, 1);
  EXPECT_EQ(doc->GetTitle(), "Named in sheet");
  EXPECT_EQ(doc->GetPathName(), m_folder.File("nightly.ts"));
  EXPECT_FALSE(doc->IsModified());

  CHalvexDoc reopened(m_callbacks);
  ASSERT_TRUE(reopened.OpenSuiteFile(m_folder.File("nightly.ts")));
  EXPECT_EQ(reopened.GetTitle(), "Named in sheet");
  EXPECT_EQ(reopened.m_suite.m_strPath, m_folder.File("nightly.ts"));
  EXPECT_EQ(reopened.m_suite.m_strComponent, "Lab");
  ASSERT_EQ(reopened.m_suite.size(), 2u);
  EXPECT_EQ(reopened.TestCaseAt(1)->GetLabel(), "Two");
  EXPECT_FALSE(reopened.IsModified());
}

TEST_F(SuiteDocumentTest, CancelOrEmptySuiteLeavesTheDocumentUnsaved)
{
  CHalvexDoc empty(m_callbacks);
  empty.OnNewDocument("Suite1");
  EXPECT_FALSE(empty.OnFileSave(kSeveral));
  EXPECT_EQ(m_sheets, 0);

  CHalvexDoc doc(m_callbacks);
  doc.OnNewDocument("Suite2");
  doc.m_suite.push_back(MakeCase("Lab", "One"));
  doc.SetModifiedFlag();
  m_sheetAccepts = false;
  EXPECT_FALSE(doc.OnFileSave(kSeveral));
  m_sheetAccepts = true;
  m_savePath = "";
  EXPECT_FALSE(doc.OnFileSave(kSeveral));
  EXPECT_EQ(m_prompts, 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetPathName(), "");
}

TEST_F(SuiteDocumentTest, ComponentTextForSeveralComponents)
{
  CTestSuite suite;
  suite.m_strComponent = "initial";
  EXPECT_EQ(harness::ComponentTextOf(suite, kSeveral), "initial");
  suite.push_back(MakeCase("Lab", "One"));
  suite.push_back(MakeCase("Lab", "Two"));
  EXPECT_EQ(harness::ComponentTextOf(suite, kSeveral), "Lab");
  suite.push_back(MakeCase("lab", "Three"));
  EXPECT_EQ(harness::ComponentTextOf(suite, kSeveral), kSeveral);
}

TEST_F(SuiteDocumentTest, SavingInPlaceAndReadOnlyFiles)
{
  auto doc = SavedDocument("nightly.ts");
  ASSERT_TRUE(doc->RenameTestCase(0, "First"));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(doc->OnFileSave(kSeveral));
  EXPECT_EQ(m_prompts, 1); // saved in place, no prompt
  EXPECT_EQ(m_treeRefreshes, 2);
  EXPECT_NE(ReadAll(m_folder.File("nightly.ts")).find("First"), std::string::npos);

  // Made read-only outside the harness: the save asks for a new name.
  ASSERT_EQ(chmod(m_folder.File("nightly.ts").c_str(), 0444), 0);
  const std::string before = ReadAll(m_folder.File("nightly.ts"));
  ASSERT_TRUE(doc->RenameTestCase(0, "Changed"));
  m_savePath = m_folder.File("copy.ts");
  EXPECT_TRUE(doc->OnFileSave(kSeveral));
  EXPECT_EQ(m_prompts, 2);
  EXPECT_EQ(doc->GetPathName(), m_folder.File("copy.ts"));
  EXPECT_EQ(ReadAll(m_folder.File("nightly.ts")), before);

  // Picking the read-only file again in the prompt is refused and logged.
  ASSERT_TRUE(doc->RenameTestCase(0, "Again"));
  ASSERT_EQ(chmod(m_folder.File("copy.ts").c_str(), 0444), 0);
  m_savePath = m_folder.File("nightly.ts");
  EXPECT_FALSE(doc->OnFileSave(kSeveral));
  EXPECT_EQ(ReadAll(m_folder.File("nightly.ts")), before);
  EXPECT_TRUE(doc->IsModified());
  ASSERT_FALSE(m_log.empty());
  EXPECT_NE(m_log.back().find("read-only"), std::string::npos);
}

TEST_F(SuiteDocumentTest, UnreadableFilesLeaveAnEmptyDocumentAndSayWhy)
{
  // A test case of a class whose plug-in is not loaded.
  const std::string unknownClass("\x01\x00\xFF\xFF\x01\x00\x0B\x00"
                                 "CTestcaseEx"
                                 "\x03Lab",
                                 23);
  const struct
  {
    const char* name;
    std::string bytes;
    bool create;
    std::string cause;
  } cases[] = {
      {"plug-in not loaded", unknownClass, true,
       ArchiveErrorText(ArchiveError::badClass) + std::string(" \"CTestcaseEx\"")},
      {"truncated", std::string("\x02\x00", 2), true, ArchiveErrorText(ArchiveError::endOfFile)},
      {"missing file", "", false, "cannot be opened"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_log.clear();
    m_errorBoxes.clear();
    const std::string path = m_folder.File(std::string(c.name) + ".ts");
    if (c.create)
      m_folder.Write(std::string(c.name) + ".ts", c.bytes);
    CHalvexDoc doc(m_callbacks);
    doc.OnNewDocument("Suite1");
    doc.m_suite.push_back(MakeCase("Lab", "Left over"));
    EXPECT_FALSE(doc.OpenSuiteFile(path));
    EXPECT_TRUE(doc.m_suite.empty() || !c.create);
    ASSERT_EQ(m_errorBoxes.size(), 1u);
    EXPECT_NE(m_errorBoxes[0].find(path), std::string::npos);
    EXPECT_NE(m_errorBoxes[0].find(c.cause), std::string::npos) << m_errorBoxes[0];
    ASSERT_FALSE(m_log.empty());
    EXPECT_EQ(m_log.back().substr(0, 3), "0: ");
  }
  // A zero-length file is an empty suite.
  m_folder.Write("empty.ts", "");
  CHalvexDoc doc(m_callbacks);
  EXPECT_TRUE(doc.OpenSuiteFile(m_folder.File("empty.ts")));
  EXPECT_TRUE(doc.m_suite.empty());
}

TEST_F(SuiteDocumentTest, ClosingRules)
{
  auto doc = SavedDocument("nightly.ts");
  // Unmodified: closes without a question.
  EXPECT_TRUE(doc->CanCloseFrame(kSeveral));
  EXPECT_EQ(m_questions, 0);

  // Running: refused with a warning, whatever else.
  doc->m_nDocState = harness::kDocStateRunning;
  EXPECT_FALSE(doc->CanCloseFrame(kSeveral));
  EXPECT_EQ(m_warningBoxes.size(), 1u);
  doc->m_nDocState = harness::kDocStateIdle;

  ASSERT_TRUE(doc->SetIterations(0, 5));
  const struct
  {
    SaveChangesAnswer answer;
    bool closes;
    bool saved;
  } cases[] = {{SaveChangesAnswer::Cancel, false, false},
               {SaveChangesAnswer::No, true, false},
               {SaveChangesAnswer::Yes, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    const std::string before = ReadAll(m_folder.File("nightly.ts"));
    m_answer = c.answer;
    EXPECT_EQ(doc->CanCloseFrame(kSeveral), c.closes);
    EXPECT_EQ(ReadAll(m_folder.File("nightly.ts")) != before, c.saved);
  }
}

TEST_F(SuiteDocumentTest, Edits)
{
  CHalvexDoc doc(m_callbacks);
  doc.OnNewDocument("Suite1");
  for (const char* label : {"A", "B", "C", "D"})
    doc.m_suite.push_back(MakeCase("Lab", label));
  EXPECT_EQ(doc.DeleteTestCases({3, 1, 1, 9}), 2u);
  ASSERT_EQ(doc.m_suite.size(), 2u);
  EXPECT_EQ(doc.TestCaseAt(0)->GetLabel(), "A");
  EXPECT_EQ(doc.TestCaseAt(1)->GetLabel(), "C");
  EXPECT_TRUE(doc.IsModified());

  const struct
  {
    int iterations;
    bool accepted;
  } cases[] = {{1, true}, {16959, true}, {100000, true}, {0, false}, {-3, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.iterations);
    EXPECT_EQ(doc.SetIterations(1, c.iterations), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(doc.TestCaseAt(1)->GetIterations(), c.iterations);
    }
  }
  EXPECT_FALSE(doc.SetIterations(2, 5));
  EXPECT_FALSE(doc.RenameTestCase(2, "x"));

  doc.SetModifiedFlag(false);
  EXPECT_TRUE(doc.RenameTestCase(0, "A"));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.DeleteAllTestCases(), 2u);
  EXPECT_TRUE(doc.m_suite.empty());
  EXPECT_TRUE(doc.IsModified());
}
