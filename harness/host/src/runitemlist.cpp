// Walking the run's items.
#include "harness/runitemlist.h"

namespace harness {

int CRunItemList::GetNextItem(int item, unsigned flags) const
{
  const bool selectedOnly = (flags & kListNextSelected) != 0;
  for (int next = item < 0 ? 0 : item + 1; next < static_cast<int>(m_items.size()); ++next)
    if (!selectedOnly || m_items[static_cast<std::size_t>(next)].selected)
      return next;
  return -1;
}

CTestCase* CRunItemList::GetItemTestCase(int item) const
{
  if (item < 0 || item >= static_cast<int>(m_items.size()))
    return nullptr;
  return m_items[static_cast<std::size_t>(item)].testCase;
}

std::vector<RunItem> CRunItemList::ItemsOf(unsigned flags) const
{
  std::vector<RunItem> items;
  for (int item = GetNextItem(-1, flags); item >= 0; item = GetNextItem(item, flags))
    items.push_back(m_items[static_cast<std::size_t>(item)]);
  return items;
}

} // namespace harness
