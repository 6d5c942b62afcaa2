#include "ui/qt_message_boxes.h"

#include <QEvent>
#include <QMessageBox>
#include <QTimer>

namespace kivrel {
namespace {

// A host that waits for the program (a front end running it as a filter,
// say) takes no click or key until the box is answered, and looks hung
// while the box is out of sight. So the box stays above every other window,
// and its frame offers a title and a close button only: no minimize (or
// maximize) button.
constexpr Qt::WindowFlags kBoxFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                      Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                      Qt::WindowStaysOnTopHint;

// Brings a minimized box straight back: some window managers offer to
// minimize any window, whatever its frame asks for.
class KeepShown : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* box = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::WindowStateChange && box && box->isMinimized()) {
      // Not within the change itself, which the window system is still making.
      QTimer::singleShot(0, box, [box] {
        box->setWindowState(box->windowState() & ~Qt::WindowMinimized);
        box->raise();
        box->activateWindow();
      });
    }
    return false;
  }
};

// Shows `box` until it is answered; returns the answer.
int Answer(QMessageBox& box) {
  box.setWindowFlags(kBoxFlags);
  KeepShown keep_shown;
  box.installEventFilter(&keep_shown);
  return box.exec();
}

}  // namespace

void QtMessageBoxes::Notify(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Ok);
  Answer(box);
}

bool QtMessageBoxes::Ask(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), QString::fromLocal8Bit(text),
                  QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  return Answer(box) == QMessageBox::Yes;
}

}  // namespace kivrel
