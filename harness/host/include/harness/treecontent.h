// What the two trees of the left bar hold, without widgets: the loaded components with their
// test-case prototypes, and the stored suites grouped by component with their test cases.
#pragma once

#include "plinth/component.h"
#include "plinth/testsuite.h"

#include <list>
#include <string>
#include <vector>

namespace harness {

// The icon resources of the trees' image list.
inline constexpr int kIconDefaultComponent = 122;
inline constexpr int kIconSuite = 127;
inline constexpr int kIconTestCase = 129;
inline constexpr int kIconSeveralComponents = 131;
inline constexpr int kTreeIconSize = 16;

// One tree item: its text, its icon resource, the object it stands for (a component, a suite
// or a test case; null for the group of several components) and its children in tree order.
// The objects belong to whoever filled the tree.
struct TreeEntry
{
  std::string text;
  int icon = kIconTestCase;
  CObject* pData = nullptr;
  std::vector<TreeEntry> children;
};

// Orders tree texts alphabetically ignoring case; texts equal but for case keep a fixed order.
bool TreeTextLess(const std::string& a, const std::string& b);

// The text a prototype shows: its label, so that the test cases of one component can be told
// apart; its base name when it has no label.
std::string PrototypeText(const CTestCase& prototype);

// One root per component, sorted by class name, with its prototypes sorted by text.
std::vector<TreeEntry> TestCasesTreeContent(const std::list<CComponent*>& components);

// One root per component (sorted) and, last, one for several components (severalText, no
// object). Under each root the suites whose component text equals the root's text ignoring
// case, in the order given; under each suite its test cases in list order, by label. A suite
// that matches no root is left out.
std::vector<TreeEntry> SuitesTreeContent(const std::list<CComponent*>& components,
                                         const std::vector<CTestSuite*>& suites,
                                         const std::string& severalText);

} // namespace harness
