// The available-tests tree: every loaded component with its test-case prototypes. Dragging an
// item onto a suite window copies its prototypes into the suite.
#pragma once

#include "availabletree.h"

namespace harness {

class CTestCasesTree : public CAvailableTree
{
  Q_OBJECT

public:
  explicit CTestCasesTree(CHalvexApp& app, QWidget* parent = nullptr);

  // Rebuilds the tree from the component list.
  void Fill();
  // The configure-component command reaching the tree: the selected component configures
  // itself; anything else asks for a component.
  void OnConfigureComponent();
};

} // namespace harness
