#include "ui/qt_user_interface.h"

#include <QApplication>
#include <iostream>

#include "platform/clock.h"
#include "platform/disk_file_system.h"
#include "platform/process_info.h"
#include "startup/main_program.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_message_filter.h"
#include "ui/settings_dialog.h"

namespace kivrel {

QtUserInterface::QtUserInterface(MessageBoxes& boxes) : WindowedUserInterface(boxes, std::cerr) {}

void QtUserInterface::ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) {
  SettingsDialog dialog(Model(settings), environment, boxes());
  dialog.ShowModal();
}

ProgressView& QtUserInterface::Progress() {
  if (!progress_) progress_ = std::make_unique<ProgressWindow>();
  return *progress_;
}

int RunWithWindows(int argc, char** argv) {
  // The command tail is taken before Qt sees the arguments: Qt would take
  // options such as -style out of them.
  const std::string command_text = CommandTail(argc, argv);
  const std::string program_folder = ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  int qt_argc = 1;
  char* qt_argv[] = {argc > 0 ? argv[0] : const_cast<char*>("kivrel"), nullptr};
  InstallQtMessageFilter();
  QApplication application(qt_argc, qt_argv);
  // Closing the progress window does not stop the conversion.
  application.setQuitOnLastWindowClosed(false);

  DiskFileSystem files;
  SystemClock clock;
  QtMessageBoxes boxes;
  QtUserInterface ui(boxes);
  Platform platform{files, boxes, clock, ui, std::cerr, program_folder, command_text};
  return static_cast<int>(RunProgram(platform));
}

}  // namespace kivrel
