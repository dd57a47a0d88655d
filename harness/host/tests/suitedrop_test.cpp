// The drop rules on real documents: tree items copied in at the drop row, test cases moved and
// copied between suites, and Marlow's DOS check through a real module.
#include "harness/dospasses.h"
#include "harness/runitemlist.h"
#include "harness/stringids.h"
#include "harness/suitedrop.h"

#include "testsupport/hostsupport.h"
#include "testsupport/probecases.h"

#include <gtest/gtest.h>

namespace harness::test {

using namespace testsupport;
namespace {

std::vector<std::string> Labels(const CTestSuite& suite)
{
  std::vector<std::string> labels;
  for (const CTestCase* p : suite)
    labels.push_back(p->GetLabel());
  return labels;
}

TreeEntry EntryOf(CObject* pObject, const std::string& text, std::vector<TreeEntry> children = {})
{
  return {text, kIconTestCase, pObject, std::move(children)};
}

// The tree entry of a component with its prototypes.
TreeEntry ComponentEntry(CComponent* pComponent)
{
  TreeEntry entry = EntryOf(pComponent, pComponent->GetClassName());
  for (CTestCase* p : pComponent->m_TestCaseList)
    entry.children.push_back(EntryOf(p, p->GetLabel()));
  return entry;
}

class SuiteDropTest : public ::testing::Test
{
protected:
  SuiteDropTest() : strings(HarnessStrings())
  {
    for (const char* label : {"A", "B", "C"})
      doc.m_suite.push_back(MakeCase("Lab", label));
  }

  LogFunction Log()
  {
    return [this](unsigned level, const std::string& text) { logged.emplace_back(level, text); };
  }

  StringTable strings;
  CHalvexDoc doc{{}};
  std::vector<std::pair<unsigned, std::string>> logged;
};

TEST_F(SuiteDropTest, AComponentOnTheSecondRowInsertsItsTestCasesInTreeOrderBeforeIt)
{
  std::unique_ptr<CComponent> component(MakeComponent("Probe", {"one", "two", "three"}));
  std::size_t row = 1;
  EXPECT_EQ(InsertDroppedItem(doc, row, ComponentEntry(component.get()), DragSource::AvailableTests,
                              strings, Log()),
            3u);
  EXPECT_EQ(Labels(doc.m_suite), (std::vector<std::string>{"A", "one", "two", "three", "B", "C"}));
  EXPECT_EQ(row, 4u);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(logged.empty());
}

TEST_F(SuiteDropTest, RowsAtOrPastTheEndAppend)
{
  std::unique_ptr<CComponent> component(MakeComponent("Probe", {"one"}));
  for (std::size_t start : {std::size_t{3}, std::size_t{99}}) {
    SCOPED_TRACE(start);
    std::size_t row = start;
    InsertDroppedItem(doc, row, ComponentEntry(component.get()).children[0],
                      DragSource::AvailableTests, strings, Log());
    EXPECT_EQ(Labels(doc.m_suite).back(), "one");
    EXPECT_EQ(row, doc.m_suite.size());
  }
}

TEST_F(SuiteDropTest, ItemsWithoutTestCasesInsertNothingAndSaySo)
{
  std::unique_ptr<CComponent> empty(MakeComponent("Empty", {}));
  CTestSuite emptySuite;
  const struct
  {
    TreeEntry entry;
    int text;
  } cases[] = {
      {EntryOf(empty.get(), "Empty"), ids::kDropNotTestCase},
      {EntryOf(&emptySuite, "Nothing in it"), ids::kDropNotTestCase},
      {EntryOf(nullptr, "Several components"), ids::kDropNoObject},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry.text);
    logged.clear();
    std::size_t row = 0;
    EXPECT_EQ(InsertDroppedItem(doc, row, c.entry, DragSource::AvailableTests, strings, Log()), 0u);
    EXPECT_EQ(row, 0u);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].first, 3u);
    EXPECT_EQ(logged[0].second, strings.Format(c.text, {c.entry.text}));
  }
  EXPECT_EQ(Labels(doc.m_suite), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(SuiteDropTest, PrototypesAreCopiedAndStoredTestCasesCloned)
{
  std::unique_ptr<CComponent> component(MakeComponent("Probe", {"one"}));
  auto* prototype = static_cast<CDragProbeCase*>(component->m_TestCaseList.front());
  prototype->m_nSetting = 41;
  const struct
  {
    DragSource source;
    bool cloned;
  } cases[] = {{DragSource::AvailableTests, false}, {DragSource::Suites, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cloned);
    CHalvexDoc target{{}};
    std::size_t row = 0;
    ASSERT_EQ(InsertDroppedItem(target, row, EntryOf(prototype, "one"), c.source, strings, Log()),
              1u);
    auto* copy = dynamic_cast<CDragProbeCase*>(target.m_suite.front());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, prototype);
    EXPECT_EQ(copy->m_bCloned, c.cloned);
    EXPECT_EQ(copy->m_nSetting, 41);
    EXPECT_EQ(copy->GetClassName(), "Probe");
    // Configuring the copy leaves the prototype as it was.
    copy->Configure();
    copy->SetLabel("renamed");
    EXPECT_EQ(prototype->m_nSetting, 41);
    EXPECT_EQ(prototype->GetLabel(), "one");
  }
}

TEST_F(SuiteDropTest, ARunningSuiteTakesNoDrop)
{
  std::unique_ptr<CComponent> component(MakeComponent("Probe", {"one"}));
  doc.m_nDocState = kDocStateRunning;
  std::size_t row = 0;
  EXPECT_EQ(InsertDroppedItem(doc, row, ComponentEntry(component.get()), DragSource::AvailableTests,
                              strings, Log()),
            0u);
  CHalvexDoc other{{}};
  other.m_suite.push_back(MakeCase("Lab", "X"));
  EXPECT_EQ(TransferTestCases(other, {0}, doc, 0, true, strings, Log()), 0u);
  EXPECT_EQ(doc.m_suite.size(), 3u);
  // Out of a running suite, copies may be taken but nothing moves.
  EXPECT_EQ(TransferTestCases(doc, {0}, other, 0, false, strings, Log()), 0u);
  EXPECT_EQ(TransferTestCases(doc, {0}, other, 0, true, strings, Log()), 1u);
  EXPECT_EQ(Labels(doc.m_suite), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(SuiteDropTest, TransfersMoveOrCopyInRowOrder)
{
  const struct
  {
    const char* name;
    bool sameDocument;
    std::vector<std::size_t> rows;
    std::size_t targetRow;
    bool copy;
    std::size_t inserted;
    std::vector<std::string> source;
    std::vector<std::string> target;
  } cases[] = {
      {"move within", true, {2, 0}, 3, false, 2, {"B", "A", "C"}, {"B", "A", "C"}},
      {"move onto a moved row", true, {1}, 1, false, 1, {"A", "B", "C"}, {"A", "B", "C"}},
      {"copy within", true, {0, 0, 7}, 2, true, 1, {"A", "B", "A", "C"}, {"A", "B", "A", "C"}},
      {"move across", false, {1, 2}, 0, false, 2, {"A"}, {"B", "C", "X", "Y"}},
      {"copy across to the end", false, {0}, 9, true, 1, {"A", "B", "C"}, {"X", "Y", "A"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CHalvexDoc source{{}};
    for (const char* label : {"A", "B", "C"})
      source.m_suite.push_back(MakeCase("Lab", label));
    CHalvexDoc other{{}};
    for (const char* label : {"X", "Y"})
      other.m_suite.push_back(MakeCase("Lab", label));
    CHalvexDoc& target = c.sameDocument ? source : other;
    EXPECT_EQ(TransferTestCases(source, c.rows, target, c.targetRow, c.copy, strings, Log()),
              c.inserted);
    EXPECT_EQ(Labels(source.m_suite), c.source);
    EXPECT_EQ(Labels(target.m_suite), c.target);
    EXPECT_TRUE(target.IsModified());
    EXPECT_EQ(source.IsModified(), !c.copy || c.sameDocument);
  }
}

TEST_F(SuiteDropTest, ATestCaseThatCannotBeClonedStaysWhereItIs)
{
  CHalvexDoc source{{}};
  source.m_suite.push_back(MakeCase<CUncloneableCase>("Lab", "stuck"));
  source.m_suite.push_back(MakeCase("Lab", "free"));
  EXPECT_EQ(TransferTestCases(source, {0, 1}, doc, 0, false, strings, Log()), 1u);
  EXPECT_EQ(Labels(source.m_suite), (std::vector<std::string>{"stuck"}));
  EXPECT_EQ(Labels(doc.m_suite), (std::vector<std::string>{"free", "A", "B", "C"}));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].second, strings.Format(ids::kDropCopyFailed, {"stuck"}));

  // From the suites tree the same test case is not inserted either.
  logged.clear();
  std::size_t row = 0;
  EXPECT_EQ(InsertDroppedItem(doc, row, EntryOf(source.m_suite.front(), "stuck"),
                              DragSource::Suites, strings, Log()),
            0u);
  EXPECT_EQ(logged.size(), 1u);
}

TEST(MarlowDosCheck, AskedOnlyOfAModuleThatExportsIt)
{
  CHalvexDoc doc{{}};
  doc.m_suite.push_back(MakeCase("Demo DOS Tests", "DOS memory"));
  const CRunItemList items({{0, doc.m_suite.front(), false}});
  EXPECT_EQ(CheckForDosTestCases(nullptr, items, &doc.m_suite, kListNextAll), 0);

  platform::HMODULE stub = platform::LoadLibrary(MARLOW_STUB);
  ASSERT_NE(stub, nullptr) << platform::LastModuleError();
  EXPECT_EQ(CheckForDosTestCases(stub, items, &doc.m_suite, kListNextAll), 0);
  platform::FreeLibrary(stub);

  platform::HMODULE probe = platform::LoadLibrary(MARLOW_DOS_PROBE);
  ASSERT_NE(probe, nullptr) << platform::LastModuleError();
  EXPECT_EQ(CheckForDosTestCases(probe, items, &doc.m_suite, kListNextAll), kBatchKindDos);
  doc.m_suite.front()->SetLabel("Windows memory");
  EXPECT_EQ(CheckForDosTestCases(probe, items, &doc.m_suite, kListNextAll), 0);
  platform::FreeLibrary(probe);
}

} // namespace
} // namespace harness::test
