#include "ui/qt_message_boxes.h"

#include <QMessageBox>

namespace kivrel {
namespace {

// A box kept above every other window: a host that waits for the program
// (a front end running it as a filter, say) takes no click or key until the
// box is answered, so the box must never end up behind the host's window.
void ShowOnTop(QMessageBox& box) {
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace

void QtMessageBoxes::Notify(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Ok);
  ShowOnTop(box);
  box.exec();
}

bool QtMessageBoxes::Ask(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  ShowOnTop(box);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kivrel
