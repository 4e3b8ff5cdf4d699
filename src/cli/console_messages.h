#pragma once
// Messages and questions of the shared logic on a terminal: messages go to
// standard error; a question is printed with the answer No, since nobody may
// be there to answer (for the frame-size question No keeps the source size).
#include "app/message_boxes.h"

namespace kx::cli {

class ConsoleMessages : public MessageBoxes {
 public:
  void Show(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
};

}  // namespace kx::cli
