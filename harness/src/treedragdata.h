// What a drag out of one of the left bar's trees carries: the tree and the dragged item. It is
// read back only inside this program, so the item is held, not its contents.
#pragma once

#include "harness/suitedrop.h"
#include "harness/treecontent.h"

#include <QMimeData>
#include <QPersistentModelIndex>
#include <QPointer>

namespace harness {

class CAvailableTree;

class CTreeDragData : public QMimeData
{
  Q_OBJECT

public:
  static constexpr const char* kMimeType = "application/x-halvex-tree-item";

  CTreeDragData(const CAvailableTree* tree, const QModelIndex& item);

  // The dragged item and where it comes from; false when the tree or the item is gone (the
  // tree was refreshed during the drag).
  bool Resolve(TreeEntry& entry, DragSource& source) const;

private:
  QPointer<const CAvailableTree> m_tree;
  QPersistentModelIndex m_item;
};

} // namespace harness
