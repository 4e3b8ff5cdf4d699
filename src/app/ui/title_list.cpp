#include "app/ui/title_list.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include "app/title_row_texts.h"
#include "app/ui/title_list_delegate.h"

namespace kx {

TTitleRow::TTitleRow(const DiscTitle& title) : Record(NewTitleJob(title.TitleIndex, title.Info)) {
  const auto texts = TitleRowTexts(title.TitleIndex, title.Info);
  for (int column = 0; column < kTitleColumnCount; ++column) setText(column, QString::fromStdString(texts[column]));
  setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
  setCheckState(colSource, Qt::Checked);
}

TTitleList::TTitleList(const QString& background, QWidget* parent) : QTreeWidget(parent), background_(background) {
  setObjectName("lvFiles");
  setItemDelegate(new TTitleListDelegate(this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  ClearTitles();
}

TTitleRow* TTitleList::Row(int index) const { return static_cast<TTitleRow*>(topLevelItem(index)); }

TTitleRow* TTitleList::SelectedRow() const {
  const QList<QTreeWidgetItem*> rows = selectedItems();
  return rows.isEmpty() ? nullptr : static_cast<TTitleRow*>(rows.first());
}

void TTitleList::ClearTitles() {
  clear();  // deletes the rows, and with them their records
  setColumnCount(1);
  setHeaderHidden(true);
  viewport()->update();
}

void TTitleList::AddTitle(const DiscTitle& title) {
  if (RowCount() == 0) {
    setColumnCount(kTitleColumnCount);
    QStringList captions;
    for (const TitleColumnSpec& column : kTitleColumns) captions << column.caption;
    setHeaderLabels(captions);
    for (int column = 0; column < kTitleColumnCount; ++column) setColumnWidth(column, kTitleColumns[column].widthPx);
    setHeaderHidden(false);
  }
  addTopLevelItem(new TTitleRow(title));
}

void TTitleList::paintEvent(QPaintEvent* event) {
  if (RowCount() > 0 || background_.isNull()) {
    QTreeWidget::paintEvent(event);
    return;
  }
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().base());
  painter.drawPixmap(0, 0, background_);
}

void TTitleList::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  if (event->button() == Qt::RightButton) emit RightButtonPressed(event->globalPosition().toPoint());
}

}  // namespace kx
