#pragma once
// The skin: one style sheet, "skin/kestrix.qss" in the program folder, that
// gives every window, menu and list the same look. Main thread only.
#include <string>

class QApplication;

namespace kx {

// Applies the style sheet to the whole application. False, with the look of
// the platform kept, when the file cannot be read.
bool ApplySkin(QApplication& app, const std::string& programFolder);

}  // namespace kx
