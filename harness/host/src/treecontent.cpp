// The content rules of the suites tree and the test cases tree.
#include "harness/treecontent.h"

#include <algorithm>
#include <strings.h>

namespace harness {

namespace {

bool IsComponent(const CComponent* pComponent)
{
  return pComponent != nullptr && pComponent->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent));
}

void SortByText(std::vector<TreeEntry>& entries)
{
  std::stable_sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) {
    return TreeTextLess(a.text, b.text);
  });
}

// The component roots, sorted, without children.
std::vector<TreeEntry> ComponentRoots(const std::list<CComponent*>& components)
{
  std::vector<TreeEntry> roots;
  for (CComponent* pComponent : components)
    if (IsComponent(pComponent))
      roots.push_back({pComponent->GetClassName(), kIconDefaultComponent, pComponent, {}});
  SortByText(roots);
  return roots;
}

} // namespace

bool TreeTextLess(const std::string& a, const std::string& b)
{
  const int folded = strcasecmp(a.c_str(), b.c_str());
  return folded != 0 ? folded < 0 : a < b;
}

std::string PrototypeText(const CTestCase& prototype)
{
  return prototype.GetLabel().empty() ? prototype.GetBaseName() : prototype.GetLabel();
}

std::vector<TreeEntry> TestCasesTreeContent(const std::list<CComponent*>& components)
{
  std::vector<TreeEntry> roots = ComponentRoots(components);
  for (TreeEntry& root : roots) {
    auto* pComponent = static_cast<CComponent*>(root.pData);
    for (CTestCase* pPrototype : pComponent->m_TestCaseList)
      if (pPrototype != nullptr)
        root.children.push_back({PrototypeText(*pPrototype), kIconTestCase, pPrototype, {}});
    SortByText(root.children);
  }
  return roots;
}

std::vector<TreeEntry> SuitesTreeContent(const std::list<CComponent*>& components,
                                         const std::vector<CTestSuite*>& suites,
                                         const std::string& severalText)
{
  std::vector<TreeEntry> roots = ComponentRoots(components);
  roots.push_back({severalText, kIconSeveralComponents, nullptr, {}});
  for (TreeEntry& root : roots) {
    for (CTestSuite* pSuite : suites) {
      if (pSuite == nullptr || strcasecmp(pSuite->GetComponent().c_str(), root.text.c_str()) != 0)
        continue;
      TreeEntry suite{pSuite->GetName(), kIconSuite, pSuite, {}};
      for (CTestCase* pTestCase : *pSuite)
        suite.children.push_back({pTestCase->GetLabel(), kIconTestCase, pTestCase, {}});
      root.children.push_back(std::move(suite));
    }
  }
  return roots;
}

} // namespace harness
