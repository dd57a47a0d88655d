// The drop highlight of a suite window's rows.
#include "droprowdelegate.h"

#include <QPainter>

namespace harness {

void CDropRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
  if (index.row() != m_nDropRow || index.parent().isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem highlighted(option);
  highlighted.state |= QStyle::State_Selected;
  painter->fillRect(option.rect, option.palette.highlight());
  QStyledItemDelegate::paint(painter, highlighted, index);
}

} // namespace harness
