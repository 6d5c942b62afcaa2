#include "ui/qt_user_interface.h"

#include <QApplication>
#include <iostream>

#include "common/clock.h"
#include "common/disk_file_system.h"
#include "common/process_info.h"
#include "startup/main_program.h"
#include "ui/qt_message_boxes.h"
#include "ui/settings_dialog.h"

namespace kivrel {

DialogHooks& QtUserInterface::Dialog(Settings& settings) {
  if (!dialog_) dialog_ = std::make_unique<DialogModel>(settings);
  return *dialog_;
}

void QtUserInterface::ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) {
  SettingsDialog dialog(static_cast<DialogModel&>(Dialog(settings)), environment, boxes_);
  dialog.ShowModal();
}

ProgressView& QtUserInterface::Progress() {
  if (!progress_) progress_ = std::make_unique<ProgressWindow>();
  return *progress_;
}

void QtUserInterface::ReportFailure(const std::string& text) {
  std::cerr << "Kivrel: " << text << '\n' << std::flush;
  boxes_.Notify(text);
}

void QtUserInterface::ReportNotices(const std::vector<std::string>& notices) {
  std::string text;
  for (const std::string& notice : notices) text += (text.empty() ? "" : "\n") + notice;
  boxes_.Notify(text);
}

int RunWithWindows(int argc, char** argv) {
  // The command tail is taken before Qt sees the arguments: Qt would take
  // options such as -style out of them.
  const std::string command_text = CommandTail(argc, argv);
  const std::string program_folder = ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  int qt_argc = 1;
  char* qt_argv[] = {argc > 0 ? argv[0] : const_cast<char*>("kivrel"), nullptr};
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
