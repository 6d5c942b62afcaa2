#include <iostream>

#include "common/clock.h"
#include "common/disk_file_system.h"
#include "common/process_info.h"
#include "startup/main_program.h"
#include "ui/console_ui.h"
#include "ui/window_system.h"
#include "ui/windows_module.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  const std::string program_folder = kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  int status = 0;
  if (kivrel::WindowSystemAvailable() &&
      kivrel::RunWithWindowsModule(argc, argv, program_folder.c_str(), status)) {
    return status;
  }

  kivrel::DiskFileSystem files;
  kivrel::SystemClock clock;
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  kivrel::ConsoleUserInterface ui(std::cout, std::cerr);
  kivrel::Platform platform{files, boxes, clock, ui, std::cerr, program_folder, kivrel::CommandTail(argc, argv)};
  return static_cast<int>(kivrel::RunProgram(platform));
}
