#pragma once
// Web pages and folders opened in the desktop's browser and file manager,
// never through a shell. Main thread only.
#include <QUrl>
#include <functional>

namespace kx {

void OpenOnDesktop(const QUrl& url);

// Tests record what would be opened instead of starting programs; an empty
// function restores the desktop.
void SetDesktopOpener(std::function<void(const QUrl&)> opener);

}  // namespace kx
