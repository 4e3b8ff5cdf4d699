#pragma once
// The title list lvFiles: one row per DVD title, each row owning its job
// record, so a record is created with its row and freed with it. Empty, the
// list has no columns and shows the skin's background picture; the first
// title switches it to the six report columns. Main thread only.
#include <QPixmap>
#include <QTreeWidget>

#include "app/disc_opening.h"
#include "app/title_job.h"

namespace kx {

class TTitleRow : public QTreeWidgetItem {
 public:
  // A ticked row with the title's caption and column texts.
  explicit TTitleRow(const DiscTitle& title);
  TlvFilesRecord Record;
};

class TTitleList : public QTreeWidget {
  Q_OBJECT

 public:
  // `background`: the picture shown while the list is empty.
  TTitleList(const QString& background, QWidget* parent);

  int RowCount() const { return topLevelItemCount(); }
  TTitleRow* Row(int index) const;
  // The selected row, or null.
  TTitleRow* SelectedRow() const;

  // Removes every row with its record and all columns.
  void ClearTitles();
  // Adds a row at the end; the first row brings the columns.
  void AddTitle(const DiscTitle& title);

 signals:
  void RightButtonPressed(QPoint globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QPixmap background_;
};

}  // namespace kx
