#include <iostream>

#include "common/clock.h"
#include "common/disk_file_system.h"
#include "common/process_info.h"
#include "startup/main_program.h"
#include "ui/console_ui.h"
#include "ui/qt_user_interface.h"
#include "ui/window_system.h"

int main(int argc, char** argv) {
  if (kivrel::WindowSystemAvailable()) return kivrel::RunWithWindows(argc, argv);

  kivrel::DiskFileSystem files;
  kivrel::SystemClock clock;
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  kivrel::ConsoleUserInterface ui(std::cout, std::cerr);
  kivrel::Platform platform{files,
                            boxes,
                            clock,
                            ui,
                            kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr),
                            kivrel::CommandTail(argc, argv)};
  return static_cast<int>(kivrel::RunProgram(platform));
}
