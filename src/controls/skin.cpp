#include "controls/skin.h"

#include <QApplication>
#include <QFile>

namespace kx {

bool ApplySkin(QApplication& app, const std::string& programFolder) {
  QFile sheet(QString::fromStdString(programFolder + "skin/kestrix.qss"));
  if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
  return true;
}

}  // namespace kx
