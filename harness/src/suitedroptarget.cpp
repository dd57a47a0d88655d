// Drops onto a suite window.
#include "suitedroptarget.h"

#include "droprowdelegate.h"
#include "halvexapp.h"
#include "halvexview.h"
#include "harness/suitedrop.h"
#include "suitedragdata.h"
#include "treedragdata.h"

#include <QDrag>
#include <QDropEvent>

namespace harness {

namespace {

bool CopyRequested(const QDropEvent* event)
{
  return (event->modifiers() & Qt::ControlModifier) != 0;
}

} // namespace

CSuiteDropTarget::CSuiteDropTarget(CHalvexApp& app, CHalvexView& view)
    : QObject(&view), m_app(app), m_view(view), m_pDelegate(new CDropRowDelegate(&view))
{
  view.setItemDelegate(m_pDelegate);
  view.setAcceptDrops(true);
  view.setDragEnabled(true);
  view.setDragDropMode(QAbstractItemView::DragDrop);
  view.setDropIndicatorShown(false);
}

bool CSuiteDropTarget::Accepts(const QMimeData* data) const
{
  if (!m_view.isEnabled() || m_view.Document().m_nDocState == kDocStateRunning)
    return false;
  if (qobject_cast<const CTreeDragData*>(data) != nullptr)
    return true;
  const auto* rows = qobject_cast<const CSuiteDragData*>(data);
  return rows != nullptr && rows->Source() != nullptr;
}

int CSuiteDropTarget::RowAt(const QPoint& point) const
{
  const QModelIndex index = m_view.indexAt(point);
  return index.isValid() ? index.row() : m_view.topLevelItemCount();
}

int CSuiteDropTarget::DropRow() const
{
  return m_pDelegate->DropRow();
}

void CSuiteDropTarget::SetDropRow(int row)
{
  if (row == m_pDelegate->DropRow())
    return;
  m_pDelegate->SetDropRow(row);
  m_view.viewport()->update();
}

void CSuiteDropTarget::DragMove(QDragMoveEvent* event)
{
  if (!Accepts(event->mimeData())) {
    SetDropRow(-1);
    event->ignore();
    return;
  }
  // Below the last row nothing is highlighted: the drop appends.
  const int row = RowAt(event->position().toPoint());
  SetDropRow(row < m_view.topLevelItemCount() ? row : -1);
  const bool fromTree = qobject_cast<const CTreeDragData*>(event->mimeData()) != nullptr;
  event->setDropAction(fromTree || CopyRequested(event) ? Qt::CopyAction : Qt::MoveAction);
  event->accept();
}

void CSuiteDropTarget::DragLeave()
{
  SetDropRow(-1);
}

void CSuiteDropTarget::Drop(QDropEvent* event)
{
  SetDropRow(-1);
  if (!Accepts(event->mimeData())) {
    event->ignore();
    return;
  }
  const auto row = static_cast<std::size_t>(RowAt(event->position().toPoint()));
  auto log = [this](unsigned level, const std::string& text) { m_app.Log(level, text); };
  if (const auto* tree = qobject_cast<const CTreeDragData*>(event->mimeData())) {
    TreeEntry entry;
    DragSource source = DragSource::AvailableTests;
    if (tree->Resolve(entry, source)) {
      std::size_t position = row;
      InsertDroppedItem(m_view.Document(), position, entry, source, m_app.Strings(), log);
    }
    event->setDropAction(Qt::CopyAction);
  } else if (const auto* rows = qobject_cast<const CSuiteDragData*>(event->mimeData())) {
    CHalvexView* source = rows->Source();
    const bool copy = CopyRequested(event);
    TransferTestCases(source->Document(), rows->Rows(), m_view.Document(), row, copy,
                      m_app.Strings(), log);
    if (source != &m_view) {
      source->Refresh();
      source->SuiteChanged();
    }
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
  }
  m_view.Refresh();
  // The title, the commands, and Marlow's check for DOS test cases.
  m_view.SuiteChanged();
  event->accept();
}

QMimeData* CSuiteDropTarget::DragData(std::vector<std::size_t> rows) const
{
  return new CSuiteDragData(&m_view, std::move(rows));
}

void CSuiteDropTarget::StartDrag(std::vector<std::size_t> rows)
{
  if (rows.empty())
    return;
  auto* drag = new QDrag(&m_view);
  drag->setMimeData(DragData(std::move(rows)));
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

} // namespace harness
