#include "profiles/ui/parameter_item_delegate.h"

#include <QPainter>

#include "profiles/ui/list_colours.h"

namespace kx {

void ParameterItemDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  p->save();
  const QRect r = option.rect;
  if (option.state & QStyle::State_Selected) {
    p->fillRect(r.adjusted(2, 2, -2, -2), kListSelectedFill);
    p->setPen(kListSelectedFrame);
    p->drawRect(r.adjusted(1, 1, -2, -2));
  } else {
    p->fillRect(r, Qt::white);
  }
  const QRect textRect = r.adjusted(3, 0, -3, 0);
  const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                     textRect.width());
  p->setFont(option.font);
  p->setPen(Qt::black);
  p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  p->restore();
}

}  // namespace kx
