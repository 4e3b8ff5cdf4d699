#include "app/ui/application.h"

#include <QApplication>
#include <QMainWindow>

namespace kx {

int RunApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Kestrix DVD to ZUNE Converter");
  window.show();
  return app.exec();
}

}  // namespace kx
