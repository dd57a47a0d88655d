// Looking tags up in the table.
#include "tag_table.h"

namespace tallow {

TagIndex FindTag(std::string_view tag)
{
  // Every tag of the table is seven characters long; most lines are decided by that alone.
  if (tag.size() != kTagTable[0].size()) {
    return kUnknownTag;
  }
  for (std::size_t i = 0; i < kTagTable.size(); ++i) {
    if (kTagTable[i] == tag) {
      return static_cast<TagIndex>(i);
    }
  }
  return kUnknownTag;
}

} // namespace tallow
