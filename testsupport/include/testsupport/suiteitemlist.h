// A suite window's list as the DOS exports see it, over test cases the test owns: every item,
// or the selected ones.
#pragma once

#include "plinth/dosbatch.h"

#include <utility>
#include <vector>

namespace testsupport {

class SuiteItemList : public CSuiteItemList
{
public:
  void Add(CTestCase* pTestCase, bool selected = false)
  {
    m_items.push_back({pTestCase, selected});
  }
  int GetNextItem(int item, unsigned flags) const override
  {
    for (int next = item + 1; next < static_cast<int>(m_items.size()); ++next)
      if (flags != kListNextSelected || m_items[static_cast<std::size_t>(next)].second)
        return next;
    return -1;
  }
  CTestCase* GetItemTestCase(int item) const override
  {
    return item >= 0 && item < static_cast<int>(m_items.size())
               ? m_items[static_cast<std::size_t>(item)].first
               : nullptr;
  }

private:
  std::vector<std::pair<CTestCase*, bool>> m_items;
};

} // namespace testsupport
