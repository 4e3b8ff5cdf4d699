#include "app/ui/desktop_links.h"

#include <QDesktopServices>

namespace kx {
namespace {

std::function<void(const QUrl&)>& Opener() {
  static std::function<void(const QUrl&)> opener;
  return opener;
}

}  // namespace

void OpenOnDesktop(const QUrl& url) {
  if (Opener())
    Opener()(url);
  else
    QDesktopServices::openUrl(url);
}

void SetDesktopOpener(std::function<void(const QUrl&)> opener) { Opener() = std::move(opener); }

}  // namespace kx
