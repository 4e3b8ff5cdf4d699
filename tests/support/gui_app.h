#pragma once
// Rendering text needs a QGuiApplication (the font database); tests that
// render without windows make one on first use and keep it to the end.
#include <QGuiApplication>

namespace kx::test {

inline void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "kx-test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

}  // namespace kx::test
