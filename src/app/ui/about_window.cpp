#include "app/ui/about_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/global_object.h"

namespace kx {

TfrmAbout::TfrmAbout(const TGlobalObject& global, QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About");
  setFixedSize(340, 187);

  auto* lblAppName = new QLabel(QString::fromStdString(global.AppName() + global.VersionText()), this);
  lblAppName->setObjectName("lblAppName");
  QFont bold = lblAppName->font();
  bold.setBold(true);
  lblAppName->setFont(bold);
  lblAppName->setWordWrap(true);

  const QString url = QString::fromStdString(global.ProductUrl());
  auto* lblProductUrl = new QLabel(QString("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()), this);
  lblProductUrl->setObjectName("lblProductUrl");
  lblProductUrl->setTextFormat(Qt::RichText);
  lblProductUrl->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(lblProductUrl, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });

  auto* btnOk = new QPushButton("&Ok", this);
  btnOk->setObjectName("btnOk");
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOk);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblAppName);
  layout->addWidget(lblProductUrl);
  layout->addStretch();
  layout->addLayout(buttons);
}

}  // namespace kx
