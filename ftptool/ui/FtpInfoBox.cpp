#include "FtpInfoBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

FtpInfoBox::FtpInfoBox(QWidget* parent) : QDialog(parent) {
  setObjectName("FtpInfoBox");
  setWindowTitle("Info");
  auto* picture = new QLabel(this);
  picture->setObjectName("ProgramIcon");
  const QIcon icon = QApplication::windowIcon().isNull()
                         ? QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon)
                         : QApplication::windowIcon();
  picture->setPixmap(icon.pixmap(48, 48));
  auto* product = new QLabel("Ladeko", this);
  product->setObjectName("ProductName");
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  auto* version = new QLabel("Version 1.0", this);
  version->setObjectName("Version");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(product, 0, 1);
  layout->addWidget(version, 1, 1);
  layout->addWidget(buttons, 3, 0, 1, 2);
  setFixedWidth(260);
}
