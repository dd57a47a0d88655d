// A suite window as the place test cases are dragged to and from: items of the left bar's trees
// dropped on it are copied in at the drop row, rows of another suite window (or its own) are
// moved, or copied with Ctrl. It shows the drop row and forwards to the drop rules of
// harness/suitedrop.h. User-interface thread only.
#pragma once

#include <QObject>

#include <cstddef>
#include <vector>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QPoint;

namespace harness {

class CDropRowDelegate;
class CHalvexApp;
class CHalvexView;

class CSuiteDropTarget : public QObject
{
  Q_OBJECT

public:
  CSuiteDropTarget(CHalvexApp& app, CHalvexView& view);

  // The view's drag events come here.
  void DragMove(QDragMoveEvent* event);
  void DragLeave();
  void Drop(QDropEvent* event);
  // A drag of these rows out of the view: moved, or copied while Ctrl is held.
  void StartDrag(std::vector<std::size_t> rows);
  // What such a drag carries (owned by the caller).
  QMimeData* DragData(std::vector<std::size_t> rows) const;

  // The highlighted row, -1 for none.
  int DropRow() const;

private:
  bool Accepts(const QMimeData* data) const;
  // The row under the point, or the row count below the last row.
  int RowAt(const QPoint& point) const;
  void SetDropRow(int row);

  CHalvexApp& m_app;
  CHalvexView& m_view;
  CDropRowDelegate* m_pDelegate;
};

} // namespace harness
