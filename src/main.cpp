#include <iostream>

#include "platform/clock.h"
#include "platform/disk_file_system.h"
#include "platform/process_info.h"
#include "startup/main_program.h"
#include "startup/program_information.h"
#include "ui/console_ui.h"
#include "ui/window_system.h"
#include "ui/gui_module.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  kivrel::DiskFileSystem files;
  const std::string command_text = kivrel::CommandTail(argc, argv);
  // "--help" and "--version" touch no file, not even the result file.
  if (const auto information = kivrel::InformationAsked(command_text, files, "kivrel")) {
    std::cout << *information << std::flush;
    return 0;
  }
  const std::string program_folder = kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  int status = 0;
  if (kivrel::WindowSystemAvailable() &&
      kivrel::RunWithGuiModule(argc, argv, program_folder.c_str(), status)) {
    return status;
  }

  kivrel::SystemClock clock;
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  kivrel::ConsoleUserInterface ui(std::cout, std::cerr);
  kivrel::Platform platform{files, boxes, clock, ui, std::cerr, program_folder, command_text};
  return static_cast<int>(kivrel::RunProgram(platform));
}
