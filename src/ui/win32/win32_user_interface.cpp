#include "ui/win32/win32_user_interface.h"

#include <windows.h>

#include <iostream>

#include "platform/clock.h"
#include "platform/disk_file_system.h"
#include "startup/main_program.h"
#include "ui/win32/win32_message_boxes.h"
#include "ui/win32/win32_settings_dialog.h"

namespace kivrel {

Win32UserInterface::Win32UserInterface(MessageBoxes& boxes) : WindowedUserInterface(boxes, std::cerr) {}

void Win32UserInterface::ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) {
  Win32SettingsDialog dialog(Model(settings), environment, boxes());
  dialog.ShowModal();
}

ProgressView& Win32UserInterface::Progress() {
  if (!progress_) progress_ = std::make_unique<Win32ProgressWindow>();
  return *progress_;
}

int RunWithWindows(const std::string& program_folder, const std::string& command_text) {
  // The layout is drawn at the screen's real DPI, not scaled up blurred: the
  // programs' manifest declares them DPI-aware (packaging/windows).
  DiskFileSystem files;
  SystemClock clock;
  Win32MessageBoxes boxes;
  Win32UserInterface ui(boxes);
  Platform platform{files, boxes, clock, ui, std::cerr, program_folder, command_text};
  return static_cast<int>(RunProgram(platform));
}

}  // namespace kivrel
