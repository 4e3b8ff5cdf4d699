#pragma once
// Messages that logic puts to the user. The windows show them in message
// boxes; tests record them.
#include <string>

namespace kx {

enum class MessageIcon { Warning, Error };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box with an OK button; returns when the user has closed it.
  virtual void Show(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};

}  // namespace kx
