// The trees' shared items, icons and dragging.
#include "availabletree.h"

#include "halvexapp.h"
#include "harness/stringids.h"
#include "treedragdata.h"

#include <QDrag>
#include <QPainter>
#include <QPixmap>

namespace harness {

namespace {

cmd::TreeItem KindOf(const CObject* pObject)
{
  if (pObject != nullptr && pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestSuite)))
    return cmd::TreeItem::Suite;
  if (pObject != nullptr && pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase)))
    return cmd::TreeItem::TestCase;
  return cmd::TreeItem::Other;
}

} // namespace

CAvailableTree::CAvailableTree(CHalvexApp& app, DragSource source, QWidget* parent)
    : QTreeWidget(parent), m_app(app), m_source(source)
{
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setIconSize(QSize(kTreeIconSize, kTreeIconSize));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

QIcon CAvailableTree::TreeIcon(int resource) const
{
  return m_app.HalvexResources().Icon(QStringLiteral("tree%1").arg(resource));
}

QIcon CAvailableTree::ItemIcon(const TreeEntry& entry)
{
  if (entry.pData != nullptr && entry.pData->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
    const auto* pComponent = static_cast<const CComponent*>(entry.pData);
    std::vector<unsigned char> png;
    QPixmap picture;
    if (platform::LoadModuleIcon(pComponent->GetInstanceHandle(), pComponent->GetIconId(), png) &&
        picture.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG"))
      return QIcon(picture);
  }
  auto it = m_icons.find(entry.icon);
  if (it == m_icons.end())
    it = m_icons.insert(entry.icon, TreeIcon(entry.icon));
  return it.value();
}

QTreeWidgetItem* CAvailableTree::AddItem(const TreeEntry& entry, QTreeWidgetItem* parent)
{
  auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, QString::fromStdString(entry.text));
  item->setIcon(0, ItemIcon(entry));
  item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(entry.pData)));
  item->setData(0, kItemKindRole, static_cast<int>(KindOf(entry.pData)));
  for (const TreeEntry& child : entry.children)
    AddItem(child, item);
  return item;
}

void CAvailableTree::FillFrom(const std::vector<TreeEntry>& roots)
{
  clear();
  m_icons.clear();
  for (const TreeEntry& root : roots)
    AddItem(root, nullptr);
}

CObject* CAvailableTree::ItemObject(const QTreeWidgetItem* item)
{
  if (item == nullptr)
    return nullptr;
  return reinterpret_cast<CObject*>(item->data(0, kObjectRole).value<quintptr>());
}

CObject* CAvailableTree::SelectedObject() const
{
  return ItemObject(currentItem());
}

cmd::TreeItem CAvailableTree::SelectedKind() const
{
  const QTreeWidgetItem* item = currentItem();
  return item != nullptr ? static_cast<cmd::TreeItem>(item->data(0, kItemKindRole).toInt())
                         : cmd::TreeItem::None;
}

TreeEntry CAvailableTree::EntryOf(const QTreeWidgetItem* item)
{
  TreeEntry entry;
  entry.text = item->text(0).toStdString();
  entry.pData = ItemObject(item);
  for (int i = 0; i < item->childCount(); ++i)
    entry.children.push_back(EntryOf(item->child(i)));
  return entry;
}

void CAvailableTree::ItemProperties()
{
  if (currentItem() == nullptr)
    return;
  CObject* pObject = SelectedObject();
  if (pObject == nullptr) {
    m_app.Prompts().Show(m_app.Strings().Get(ids::kNoProperties), BoxIcon::Information);
  } else if (pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))) {
    std::string model; // the new model is not used here
    static_cast<CComponent*>(pObject)->ConfigureComponent(model);
  } else if (pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestSuite))) {
    SuiteProperties(*static_cast<CTestSuite*>(pObject));
  } else if (pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase))) {
    static_cast<CTestCase*>(pObject)->Configure();
  }
}

QMimeData* CAvailableTree::DragData(const QTreeWidgetItem* item) const
{
  return new CTreeDragData(this, indexFromItem(item));
}

QMimeData* CAvailableTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
  return items.isEmpty() ? nullptr : DragData(items.front());
}

void CAvailableTree::startDrag(Qt::DropActions)
{
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr)
    return;
  auto* drag = new QDrag(this);
  drag->setMimeData(DragData(item));
  // The drag image: the item's icon and text.
  const QRect rect = visualItemRect(item);
  QPixmap image(rect.size().isEmpty() ? QSize(1, 1) : rect.size());
  image.fill(Qt::transparent);
  viewport()->render(&image, QPoint(), QRegion(rect));
  drag->setPixmap(image);
  drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace harness
