// kivrel-filter PATH: the conversion as a filter program, for controllers
// that run every program they open through one.
#include <iostream>

#include "common/disk_file_system.h"
#include "common/process_info.h"
#include "common/standard_output.h"
#include "startup/filter_program.h"
#include "ui/console_ui.h"

int main(int argc, char** argv) {
  kivrel::UseBinaryStandardStreams();
  kivrel::DiskFileSystem files;
  kivrel::ConsoleMessageBoxes boxes(std::cerr);
  kivrel::FilterPlatform platform{files, boxes, std::cerr,
                                  kivrel::ExecutableFolder(argc > 0 ? argv[0] : nullptr),
                                  kivrel::CommandTail(argc, argv)};
  return static_cast<int>(kivrel::RunFilter(platform, std::make_unique<kivrel::StandardOutput>()));
}
