#include "ui/qt_message_boxes.h"

#include <QMessageBox>

namespace kivrel {

void QtMessageBoxes::Notify(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Ok);
  box.exec();
}

bool QtMessageBoxes::Ask(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kivrel
