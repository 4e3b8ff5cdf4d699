#pragma once
// Application-wide mouse handling of the main window: a left press anywhere
// outside the profile picker (edt1, imgbtn1, lst1) closes its open list lst1,
// and so does the application losing the focus. Main thread only.
#include <QObject>

class QWidget;

namespace kx {

class TAppMessageHook : public QObject {
 public:
  // Watches every event of the application while `window` lives.
  explicit TAppMessageHook(QWidget* window);
  ~TAppMessageHook() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void HidePickerList();

  QWidget* window_;
};

}  // namespace kx
