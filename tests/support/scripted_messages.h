#pragma once
// MessageBoxes for tests: records every message and question, and answers
// the questions from a script (No once the script is used up).
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/message_boxes.h"

namespace kx::test {

class ScriptedMessages : public MessageBoxes {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    MessageIcon icon;
  };

  void Show(const std::string& caption, const std::string& text, MessageIcon icon) override {
    shown.push_back({caption, text, icon});
  }
  bool AskYesNo(const std::string& caption, const std::string& text) override {
    asked.push_back({caption, text});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

  std::vector<Shown> shown;
  std::vector<std::pair<std::string, std::string>> asked;  // caption, text
  std::deque<bool> answers;  // true: Yes
};

}  // namespace kx::test
