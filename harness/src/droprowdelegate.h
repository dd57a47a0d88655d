// Paints a suite window's rows, the row a drag would drop before in the highlight colour.
#pragma once

#include <QStyledItemDelegate>

namespace harness {

class CDropRowDelegate : public QStyledItemDelegate
{
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // -1: no row is highlighted.
  void SetDropRow(int row) { m_nDropRow = row; }
  int DropRow() const { return m_nDropRow; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

private:
  int m_nDropRow = -1;
};

} // namespace harness
