#pragma once
#include <QDialog>

namespace kx {

class TGlobalObject;

// The About window: application name and version, and the product page as a
// link that opens in the default web browser.
class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  TfrmAbout(const TGlobalObject& global, QWidget* parent);
};

}  // namespace kx
