// The drag data of the trees.
#include "treedragdata.h"

#include "availabletree.h"

namespace harness {

CTreeDragData::CTreeDragData(const CAvailableTree* tree, const QModelIndex& item)
    : m_tree(tree), m_item(item)
{
  setData(QString::fromLatin1(kMimeType), item.data().toString().toUtf8());
}

bool CTreeDragData::Resolve(TreeEntry& entry, DragSource& source) const
{
  if (m_tree == nullptr || !m_item.isValid())
    return false;
  const QTreeWidgetItem* item = m_tree->itemFromIndex(m_item);
  if (item == nullptr)
    return false;
  entry = CAvailableTree::EntryOf(item);
  source = m_tree->Source();
  return true;
}

} // namespace harness
