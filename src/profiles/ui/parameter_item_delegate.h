#pragma once
// Draws the items of the settings dialog's parameter lists: the selected
// item filled and framed in the list colours, every text on one line,
// vertically centred and cut with an ellipsis. Main thread only.
#include <QStyledItemDelegate>

namespace kx {

class ParameterItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kx
