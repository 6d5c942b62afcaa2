#include "ui/qt_user_interface.h"

#include <iostream>

#include "ui/settings_dialog.h"

namespace kivrel {

QtUserInterface::QtUserInterface(MessageBoxes& boxes) : WindowedUserInterface(boxes, std::cerr) {}

void QtUserInterface::ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) {
  SettingsDialog dialog(Model(settings), environment, boxes());
  dialog.ShowModal();
}

ProgressView& QtUserInterface::Progress() {
  if (!progress_) progress_ = std::make_unique<ProgressWindow>();
  return *progress_;
}

}  // namespace kivrel
