#pragma once

#include <memory>

#include "ui/progress_window.h"
#include "ui/windowed_user_interface.h"

namespace kivrel {

// The program with Qt windows; the progress window exists only when shown.
class QtUserInterface : public WindowedUserInterface {
 public:
  explicit QtUserInterface(MessageBoxes& boxes);

  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override;
  ProgressView& Progress() override;

 private:
  std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace kivrel
