// The suites tree: the suites of the suites folder grouped by component, with their test
// cases. The tree owns the suites it loaded until the next refresh; dragging an item onto a
// suite window clones its test cases into the suite.
#pragma once

#include "availabletree.h"

#include <memory>
#include <vector>

namespace harness {

class CTestSuitesTree : public CAvailableTree
{
  Q_OBJECT

public:
  explicit CTestSuitesTree(CHalvexApp& app, QWidget* parent = nullptr);
  ~CTestSuitesTree() override;

  // Reloads the suites folder and rebuilds the tree; the suites loaded before are deleted.
  void Refresh();
  // Deletes the items and the suites (before the components whose code they use go).
  void Clear();
  // Opens the selected suite's file in a suite window.
  void OpenSelectedSuite();

  std::size_t LoadedSuiteCount() const { return m_suites.size(); }

protected:
  // The suite properties sheet for an existing suite, into the suite held here, not its file.
  void SuiteProperties(CTestSuite& suite) override;

private:
  std::vector<std::unique_ptr<CTestSuite>> m_suites;
};

} // namespace harness
