// The entry of the GUI module, which the programs load only when a display
// is there.
#include <QApplication>

#include "ui/gui_module.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_message_filter.h"
#include "ui/qt_user_interface.h"

namespace kivrel {
namespace {

// The Qt windows with their application. Qt sees only the program's name:
// it would take options such as -style out of the arguments, which are the
// command tail, taken before.
class QtWindows : public Windows {
 public:
  explicit QtWindows(const char* program_name) : name_(program_name), application_(Installed(argc_), argv_) {
    // Closing the progress window does not stop the conversion.
    application_.setQuitOnLastWindowClosed(false);
  }
  MessageBoxes& boxes() override { return boxes_; }
  UserInterface& ui() override { return ui_; }

 private:
  // The host reads the programs' standard error, so Qt's own warnings stay
  // off it from the first.
  static int& Installed(int& argc) {
    InstallQtMessageFilter();
    return argc;
  }

  std::string name_;
  int argc_ = 1;
  char* argv_[2] = {name_.data(), nullptr};
  QApplication application_;
  QtMessageBoxes boxes_;
  QtUserInterface ui_{boxes_};
};

}  // namespace
}  // namespace kivrel

extern "C" __attribute__((visibility("default"))) kivrel::Windows* KivrelOpenWindows(const char* program_name) {
  return new kivrel::QtWindows(program_name);
}
