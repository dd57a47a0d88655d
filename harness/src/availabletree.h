// What the suites tree and the test cases tree share: items made from tree entries with their
// icons and objects, the item kinds the command rules read, dragging an item out, and the
// dragged item read back as a tree entry when it is dropped.
#pragma once

#include "harness/commands.h"
#include "harness/suitedrop.h"
#include "harness/treecontent.h"

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

namespace harness {

class CHalvexApp;

class CAvailableTree : public QTreeWidget
{
  Q_OBJECT

public:
  // Item data roles: the object an item stands for, and its kind for the command rules.
  static constexpr int kObjectRole = Qt::UserRole;
  static constexpr int kItemKindRole = Qt::UserRole + 1;

  CAvailableTree(CHalvexApp& app, DragSource source, QWidget* parent = nullptr);

  DragSource Source() const { return m_source; }
  // The object an item stands for; null for none (the group of several components).
  static CObject* ItemObject(const QTreeWidgetItem* item);
  CObject* SelectedObject() const;
  cmd::TreeItem SelectedKind() const;
  // The item and everything below it, as the drop reads it.
  static TreeEntry EntryOf(const QTreeWidgetItem* item);
  // The icon an image-list resource stands for.
  QIcon TreeIcon(int resource) const;
  // What a drag of the item carries (owned by the caller).
  QMimeData* DragData(const QTreeWidgetItem* item) const;

  // The selected item's properties: none for an item without an object (a box says so), a
  // component's configuration, a suite's properties (SuiteProperties), a test case's
  // configuration.
  void ItemProperties();

protected:
  // A suite's properties; only the suites tree holds suites.
  virtual void SuiteProperties(CTestSuite&) {}
  // Replaces every item with the entries; a component whose module carries its icon shows it.
  void FillFrom(const std::vector<TreeEntry>& roots);
  CHalvexApp& App() const { return m_app; }

  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
  void startDrag(Qt::DropActions supportedActions) override;

private:
  QTreeWidgetItem* AddItem(const TreeEntry& entry, QTreeWidgetItem* parent);
  QIcon ItemIcon(const TreeEntry& entry);

  CHalvexApp& m_app;
  DragSource m_source;
  QHash<int, QIcon> m_icons;
};

} // namespace harness
