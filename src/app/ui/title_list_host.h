#pragma once
// The title list as conversion start and the progress window see it: the
// rows with caption, tick and job record, the "Progress" column, and the
// main window's "Open" action. Main thread only; valid while the list's
// rows stay (the modal progress window keeps them from changing).
#include <functional>
#include <string>
#include <vector>

#include "conversion/conversion_start.h"
#include "conversion/ui/conversion_host.h"

namespace kx {

class TTitleList;

class TTitleListHost : public ConversionHost {
 public:
  TTitleListHost(TTitleList& list, std::function<void()> openOutputFolder, std::string settingsIni);

  std::vector<TitleRowRef> Rows() const;

  std::string RowCaption(int row) const override;
  void SetProgressCell(int row, const std::string& text) override;
  int TickedRowCount() const override;
  void OpenOutputFolder() override { openOutputFolder_(); }
  std::string SettingsIni() const override { return settingsIni_; }

 private:
  TTitleList& list_;
  std::function<void()> openOutputFolder_;
  std::string settingsIni_;
};

}  // namespace kx
