// kivrel-filter PATH: the conversion as a filter program, for controllers
// that run every program they open through one.
#include <iostream>

#include "platform/disk_file_system.h"
#include "platform/process_info.h"
#include "platform/standard_output.h"
#include "startup/filter_program.h"
#include "startup/program_information.h"
#include "ui/console_ui.h"
#include "ui/window_system.h"
#include "ui/gui_module.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  kivrel::DiskFileSystem files;
  const std::string command_text = kivrel::CommandTail(argc, argv);
  if (const auto information = kivrel::InformationAsked(command_text, files, "kivrel-filter")) {
    std::cout << *information << std::flush;
    return 0;
  }
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  const std::string program_folder = kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  kivrel::FilterPlatform platform{files, boxes, std::cerr, program_folder, command_text,
                                  [&](const std::string& text) {
                                    return kivrel::WindowSystemAvailable() &&
                                           kivrel::ShowNoticesWithGuiModule(program_folder.c_str(), text);
                                  }};
  return static_cast<int>(kivrel::RunFilter(platform, std::make_unique<kivrel::StandardOutput>()));
}
