#include "ui/win32/win32_user_interface.h"

#include <windows.h>

#include <iostream>

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

}  // namespace kivrel
