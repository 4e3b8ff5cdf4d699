#include "cli/console_messages.h"

#include <iostream>

namespace kx::cli {

void ConsoleMessages::Show(const std::string& caption, const std::string& text, MessageIcon) {
  std::cerr << caption << ": " << text << '\n';
}

bool ConsoleMessages::AskYesNo(const std::string& caption, const std::string& text) {
  std::cerr << caption << ": " << text << " No\n";
  return false;
}

}  // namespace kx::cli
