// The trees' content: components and prototypes sorted, suites grouped by component text.
#include "harness/treecontent.h"

#include "testsupport/probecases.h"

#include <gtest/gtest.h>

#include <memory>

namespace harness::test {

using namespace testsupport;
namespace {

constexpr const char* kSeveral = "Several components";

std::vector<std::string> Texts(const std::vector<TreeEntry>& entries)
{
  std::vector<std::string> texts;
  for (const TreeEntry& entry : entries)
    texts.push_back(entry.text);
  return texts;
}

std::unique_ptr<CTestSuite> MakeSuite(const std::string& name, const std::string& component,
                                      std::initializer_list<const char*> labels)
{
  auto suite = std::make_unique<CTestSuite>();
  suite->m_strName = name;
  suite->m_strComponent = component;
  for (const char* label : labels)
    suite->push_back(MakeCase(component, label));
  return suite;
}

class TreeContentTest : public ::testing::Test
{
protected:
  TreeContentTest()
  {
    components.push_back(MakeComponent("Zeta", {"ztest"}));
    components.push_back(MakeComponent("alpha", {"Memory", "boot", "Audio"}));
    components.push_back(nullptr); // a broken entry is skipped, not shown
    components.push_back(MakeComponent("Beta", {}));
  }
  ~TreeContentTest() override
  {
    for (CComponent* p : components)
      delete p;
  }

  std::list<CComponent*> components;
};

TEST_F(TreeContentTest, ComponentsAndPrototypesAreSortedIgnoringCase)
{
  const std::vector<TreeEntry> roots = TestCasesTreeContent(components);
  EXPECT_EQ(Texts(roots), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
  ASSERT_EQ(roots.size(), 3u);
  EXPECT_EQ(Texts(roots[0].children), (std::vector<std::string>{"Audio", "boot", "Memory"}));
  EXPECT_TRUE(roots[1].children.empty());
  EXPECT_EQ(roots[0].icon, kIconDefaultComponent);
  EXPECT_EQ(roots[0].pData, *std::next(components.begin()));
  for (const TreeEntry& prototype : roots[0].children) {
    SCOPED_TRACE(prototype.text);
    EXPECT_EQ(prototype.icon, kIconTestCase);
    ASSERT_NE(prototype.pData, nullptr);
    EXPECT_EQ(static_cast<CTestCase*>(prototype.pData)->GetLabel(), prototype.text);
  }
}

TEST_F(TreeContentTest, APrototypeWithoutLabelShowsItsBaseName)
{
  CTestCase unnamed;
  EXPECT_EQ(PrototypeText(unnamed), "TestCase");
  unnamed.m_strLabel = "Cold boot";
  EXPECT_EQ(PrototypeText(unnamed), "Cold boot");
}

TEST_F(TreeContentTest, SuitesGoUnderTheirComponentIgnoringCaseInTheOrderFound)
{
  std::vector<std::unique_ptr<CTestSuite>> owned;
  owned.push_back(MakeSuite("Second", "ALPHA", {"b1", "a2"}));
  owned.push_back(MakeSuite("Mixed", "several COMPONENTS", {"x"}));
  owned.push_back(MakeSuite("Stranger", "Gamma", {"y"}));
  owned.push_back(MakeSuite("First", "alpha", {"c"}));
  std::vector<CTestSuite*> suites;
  for (const auto& suite : owned)
    suites.push_back(suite.get());

  const std::vector<TreeEntry> roots = SuitesTreeContent(components, suites, kSeveral);
  EXPECT_EQ(Texts(roots), (std::vector<std::string>{"alpha", "Beta", "Zeta", kSeveral}));
  // Found order, not sorted; test cases in list order.
  EXPECT_EQ(Texts(roots[0].children), (std::vector<std::string>{"Second", "First"}));
  EXPECT_EQ(Texts(roots[0].children[0].children), (std::vector<std::string>{"b1", "a2"}));
  EXPECT_EQ(roots[0].children[0].pData, owned[0].get());
  EXPECT_EQ(roots[0].children[0].icon, kIconSuite);
  EXPECT_TRUE(roots[1].children.empty());
  // The group of several components has no object of its own.
  EXPECT_EQ(roots[3].pData, nullptr);
  EXPECT_EQ(roots[3].icon, kIconSeveralComponents);
  EXPECT_EQ(Texts(roots[3].children), (std::vector<std::string>{"Mixed"}));
  // A suite of an unknown component is nowhere.
  for (const TreeEntry& root : roots)
    for (const TreeEntry& suite : root.children)
      EXPECT_NE(suite.text, "Stranger");
}

} // namespace
} // namespace harness::test
