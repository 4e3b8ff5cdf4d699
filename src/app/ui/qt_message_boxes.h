#pragma once
#include "app/message_boxes.h"

namespace kx {

// MessageBoxes shown as modal QMessageBox windows over the active window.
class QtMessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
};

}  // namespace kx
