// The available-tests tree.
#include "testcasestree.h"

#include "halvexapp.h"
#include "harness/stringids.h"

#include <QStyledItemDelegate>

namespace harness {

namespace {

// Label edits may start, but their text never reaches the item.
class CDiscardingEditDelegate : public QStyledItemDelegate
{
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

CComponent* AsComponent(CObject* pObject)
{
  return pObject != nullptr && pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CComponent))
             ? static_cast<CComponent*>(pObject)
             : nullptr;
}

} // namespace

CTestCasesTree::CTestCasesTree(CHalvexApp& app, QWidget* parent)
    : CAvailableTree(app, DragSource::AvailableTests, parent)
{
  setObjectName(QStringLiteral("CTestCasesTree"));
  setItemDelegate(new CDiscardingEditDelegate(this));
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

void CTestCasesTree::Fill()
{
  FillFrom(TestCasesTreeContent(_ComponentList));
  // Every item may start a label edit; none keeps it.
  QTreeWidgetItemIterator it(this);
  for (; *it != nullptr; ++it)
    (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
}

void CTestCasesTree::OnConfigureComponent()
{
  if (CComponent* pComponent = AsComponent(SelectedObject())) {
    std::string model;
    pComponent->ConfigureComponent(model);
    return;
  }
  App().Prompts().Show(App().Strings().Get(ids::kSelectComponentItem), BoxIcon::Information);
}

} // namespace harness
