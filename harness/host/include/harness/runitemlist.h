// The suite list's items as a run takes them at its start: list order, each with its test case
// and whether it was selected. Marlow's exports walk it in place of the window, so they never
// reach into the user-interface thread.
#pragma once

#include "plinth/dosbatch.h"

#include <vector>

namespace harness {

struct RunItem
{
  int row = 0;
  CTestCase* testCase = nullptr;
  bool selected = false;
};

class CRunItemList : public CSuiteItemList
{
public:
  CRunItemList() = default;
  explicit CRunItemList(std::vector<RunItem> items) : m_items(std::move(items)) {}

  int GetNextItem(int item, unsigned flags) const override;
  CTestCase* GetItemTestCase(int item) const override;

  const std::vector<RunItem>& Items() const { return m_items; }
  // The items `flags` selects, in list order.
  std::vector<RunItem> ItemsOf(unsigned flags) const;

private:
  std::vector<RunItem> m_items;
};

} // namespace harness
