#include "app/ui/title_list_host.h"

#include "app/title_row_texts.h"
#include "app/ui/title_list.h"

namespace kx {
namespace {

bool Ticked(const TTitleRow* row) { return row->checkState(colSource) == Qt::Checked; }

}  // namespace

TTitleListHost::TTitleListHost(TTitleList& list, std::function<void()> openOutputFolder, std::string settingsIni)
    : list_(list), openOutputFolder_(std::move(openOutputFolder)), settingsIni_(std::move(settingsIni)) {}

std::vector<TitleRowRef> TTitleListHost::Rows() const {
  std::vector<TitleRowRef> rows;
  for (int i = 0; i < list_.RowCount(); ++i) {
    TTitleRow* row = list_.Row(i);
    rows.push_back({RowCaption(i), Ticked(row), &row->Record});
  }
  return rows;
}

std::string TTitleListHost::RowCaption(int row) const { return list_.Row(row)->text(colSource).toStdString(); }

void TTitleListHost::SetProgressCell(int row, const std::string& text) {
  list_.Row(row)->setText(colProgress, QString::fromStdString(text));
}

int TTitleListHost::TickedRowCount() const {
  int ticked = 0;
  for (int i = 0; i < list_.RowCount(); ++i) ticked += Ticked(list_.Row(i)) ? 1 : 0;
  return ticked;
}

}  // namespace kx
