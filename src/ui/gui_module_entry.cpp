// The entries of the GUI module, which the programs load only when a
// display is there.
#include <QApplication>

#include "ui/qt_message_boxes.h"
#include "ui/qt_message_filter.h"
#include "ui/qt_user_interface.h"

extern "C" __attribute__((visibility("default"))) int KivrelRunWithGui(int argc, char** argv) {
  return kivrel::RunWithWindows(argc, argv);
}

// kivrel-filter's notices, in the program's message box. The host reads the
// filter's standard error, so Qt's own warnings stay off it.
extern "C" __attribute__((visibility("default"))) void KivrelShowNotices(const char* text) {
  int argc = 1;
  char name[] = "kivrel-filter";
  char* argv[] = {name, nullptr};
  kivrel::InstallQtMessageFilter();
  QApplication application(argc, argv);
  kivrel::QtMessageBoxes().Notify(text);
}
