#pragma once
// Owner drawing of the title list and of the stream lists: striped rows, the
// selected row in the skin's blues (darker while the list has the focus), a
// drawn check box in the first column, and every text on one line, centred
// vertically and cut with an ellipsis.
#include <QStyledItemDelegate>

namespace kx {

// The check box's square within a first-column cell.
QRect CheckBoxRect(const QRect& cell);

class TTitleListDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 protected:
  // A click on the drawn check box ticks or unticks the row.
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

// The entries of the audio and subtitle drop-down lists.
class TStreamEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kx
