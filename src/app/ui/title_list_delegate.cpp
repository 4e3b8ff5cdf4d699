#include "app/ui/title_list_delegate.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>

namespace kx {
namespace {

const QColor kEvenRow(255, 255, 255);
const QColor kOddRow(226, 230, 246);
const QColor kSelectedFocused(185, 204, 236);
const QColor kSelected(229, 236, 248);
const QColor kFrameFocused(122, 160, 218);
const QColor kFrame(152, 181, 226);
constexpr int kBoxSidePx = 12;
constexpr int kTextMarginPx = 3;

bool HasFocus(const QStyleOptionViewItem& option) {
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  return view ? view->hasFocus() : option.state.testFlag(QStyle::State_HasFocus);
}

void DrawText(QPainter* painter, const QStyleOptionViewItem& option, const QRect& box, const QString& text,
              Qt::Alignment align) {
  const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, box.width());
  painter->setPen(option.palette.color(QPalette::Text));
  painter->drawText(box, Qt::TextSingleLine | Qt::AlignVCenter | (align & Qt::AlignHorizontal_Mask), shown);
}

}  // namespace

QRect CheckBoxRect(const QRect& cell) {
  return QRect(cell.left() + 2, cell.top() + (cell.height() - kBoxSidePx) / 2, kBoxSidePx, kBoxSidePx);
}

void TTitleListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  painter->save();
  const QRect cell = option.rect;
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  const bool focused = HasFocus(option);
  painter->fillRect(cell, selected ? (focused ? kSelectedFocused : kSelected) : (index.row() % 2 ? kOddRow : kEvenRow));
  if (selected) {
    // One frame around the whole row: top and bottom in every cell, the
    // sides in the first and last column.
    painter->setPen(focused ? kFrameFocused : kFrame);
    painter->drawLine(cell.topLeft(), cell.topRight());
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    if (index.column() == 0) painter->drawLine(cell.topLeft(), cell.bottomLeft());
    if (index.column() == index.model()->columnCount(index.parent()) - 1)
      painter->drawLine(cell.topRight(), cell.bottomRight());
  }

  QRect textBox = cell.adjusted(kTextMarginPx, 0, -kTextMarginPx, 0);
  const QVariant check = index.data(Qt::CheckStateRole);
  if (check.isValid()) {
    const QRect box = CheckBoxRect(cell);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter->setBrush(Qt::white);
    painter->drawRect(box.adjusted(1, 1, -1, -1));
    if (check.value<Qt::CheckState>() == Qt::Checked) {
      painter->setRenderHint(QPainter::Antialiasing, true);
      const QPoint o = box.topLeft();
      const QPointF tick[] = {o + QPointF(3, 5.5), o + QPointF(5, 9.5), o + QPointF(9.5, 3)};
      painter->setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter->drawPolyline(tick, 3);
    }
    textBox.setLeft(box.right() + 5);
  }
  DrawText(painter, option, textBox, index.data(Qt::DisplayRole).toString(),
           Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
  painter->restore();
}

QSize TTitleListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), kBoxSidePx + 8));
  return size;
}

bool TTitleListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) {
  const QVariant check = index.data(Qt::CheckStateRole);
  if (!check.isValid() || !(index.flags() & Qt::ItemIsUserCheckable)) return false;
  const bool release = event->type() == QEvent::MouseButtonRelease;
  if (!release && event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton || !CheckBoxRect(option.rect).contains(mouse->position().toPoint()))
    return false;
  // The press and double-click are taken too, so that only the release ticks.
  if (!release) return true;
  const bool ticked = check.value<Qt::CheckState>() == Qt::Checked;
  return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void TStreamEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  painter->save();
  const bool highlighted = option.state.testFlag(QStyle::State_Selected) ||
                           option.state.testFlag(QStyle::State_MouseOver);
  painter->fillRect(option.rect, highlighted ? kSelectedFocused : kEvenRow);
  if (highlighted) {
    painter->setPen(kFrameFocused);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
  }
  DrawText(painter, option, option.rect.adjusted(kTextMarginPx, 0, -kTextMarginPx, 0),
           index.data(Qt::DisplayRole).toString(), Qt::AlignLeft);
  painter->restore();
}

}  // namespace kx
