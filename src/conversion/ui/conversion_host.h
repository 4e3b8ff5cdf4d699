#pragma once
// What the progress window asks of the window that owns the title list.
// Main thread only.
#include <string>

namespace kx {

class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  virtual std::string RowCaption(int row) const = 0;
  // The row's "Progress" cell.
  virtual void SetProgressCell(int row, const std::string& text) = 0;
  // Rows whose check box is ticked now.
  virtual int TickedRowCount() const = 0;
  // The "Open" action: the output folder in the file manager.
  virtual void OpenOutputFolder() = 0;
  // The settings INI file, for the snapshot choices.
  virtual std::string SettingsIni() const = 0;
};

}  // namespace kx
