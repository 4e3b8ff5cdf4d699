#include "app/ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace kx {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::Show(const std::string& caption, const std::string& text, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

bool QtMessageBoxes::AskYesNo(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kx
