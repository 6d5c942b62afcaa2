// kivrel PATH: converts the program at PATH beside it; kivrel SETUP (or no
// argument) shows the settings dialog. The one place where a start is put
// together from the platform's parts.
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/clock.h"
#include "platform/disk_file_system.h"
#include "platform/process_info.h"
#include "platform/processor_count.h"
#include "startup/main_program.h"
#include "startup/program_information.h"
#include "ui/console_ui.h"
#include "ui/gui_module.h"
#include "ui/window_system.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  kivrel::DiskFileSystem files;
  // Taken before any window toolkit sees the arguments.
  const std::string command_text = kivrel::CommandTail(argc, argv);
  // "--help" and "--version" touch no file, not even the result file.
  if (const auto information = kivrel::InformationAsked(command_text, files, "kivrel")) {
    std::cout << *information << std::flush;
    return 0;
  }
  const std::string program_folder = kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  kivrel::SystemClock clock;
  kivrel::ConsoleMessageBoxes console_boxes(std::cerr);
  kivrel::ConsoleUserInterface console_ui(std::cout, std::cerr);
  std::unique_ptr<kivrel::Windows> windows;
  if (kivrel::WindowSystemAvailable()) windows = kivrel::OpenWindows(program_folder, argc > 0 ? argv[0] : "kivrel");
  kivrel::MessageBoxes& boxes = windows ? windows->boxes() : console_boxes;
  kivrel::UserInterface& ui = windows ? windows->ui() : console_ui;
  kivrel::Platform platform{files, boxes, clock, ui, std::cerr, program_folder, command_text};
  platform.threads = kivrel::ConversionThreads(std::getenv("KIVREL_THREADS"), kivrel::UsableProcessors());
  return static_cast<int>(kivrel::RunProgram(platform));
}
