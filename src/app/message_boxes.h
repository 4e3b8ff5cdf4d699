#pragma once
// Messages and questions that logic puts to the user. The windows show them
// in modal message boxes; tests answer them from a script.
#include <string>

namespace kx {

enum class MessageIcon { Information, Warning, Error };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box with an OK button; returns when the user has closed it.
  virtual void Show(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // A modal question with Yes and No buttons and the question icon; true
  // only for Yes (closing the box counts as No).
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kx
