#pragma once

#include <memory>

#include "ui/win32/win32_progress_window.h"
#include "ui/windowed_user_interface.h"

namespace kivrel {

// The program with native Windows windows; the progress window exists only
// when shown.
class Win32UserInterface : public WindowedUserInterface {
 public:
  explicit Win32UserInterface(MessageBoxes& boxes);

  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override;
  ProgressView& Progress() override;

 private:
  std::unique_ptr<Win32ProgressWindow> progress_;
};

}  // namespace kivrel
