// kivrel-filter PATH: the conversion as a filter program, for controllers
// that run every program they open through one. The one place where its
// start is put together from the platform's parts.
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/clock.h"
#include "platform/disk_file_system.h"
#include "platform/process_info.h"
#include "platform/processor_count.h"
#include "platform/standard_output.h"
#include "startup/filter_program.h"
#include "startup/filter_user_interface.h"
#include "startup/program_information.h"
#include "ui/console_ui.h"
#include "ui/gui_module.h"
#include "ui/window_system.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  kivrel::DiskFileSystem files;
  const std::string command_text = kivrel::CommandTail(argc, argv);
  if (const auto information = kivrel::InformationAsked(command_text, files, "kivrel-filter")) {
    std::cout << *information << std::flush;
    return 0;
  }
  const std::string program_folder = kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
  kivrel::SystemClock clock;
  // Every message goes to standard error, which the host reads; the windows
  // are opened only to show the notices of a finished conversion.
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  kivrel::FilterUserInterface ui(std::cerr, [&](const std::string& text) {
    if (!kivrel::WindowSystemAvailable()) return false;
    const std::unique_ptr<kivrel::Windows> windows = kivrel::OpenWindows(program_folder, "kivrel-filter");
    if (!windows) return false;
    windows->boxes().Notify(text);
    return true;
  });
  kivrel::Platform platform{files, boxes, clock, ui, std::cerr, program_folder, command_text};
  platform.threads = kivrel::ConversionThreads(std::getenv("KIVREL_THREADS"), kivrel::UsableProcessors());
  return static_cast<int>(kivrel::RunFilter(platform, std::make_unique<kivrel::StandardOutput>()));
}
