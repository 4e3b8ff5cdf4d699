#pragma once
#include <string>
#include <vector>

#include "app/message_boxes.h"

namespace kx::test {

// Message boxes that record "caption|text" instead of showing a window.
class RecordingBoxes : public MessageBoxes {
 public:
  void Show(const std::string& caption, const std::string& text, MessageIcon) override {
    shown.push_back(caption + "|" + text);
  }
  std::vector<std::string> shown;
};

}  // namespace kx::test
