#pragma once

#include <memory>

#include "settings/dialog_model.h"
#include "startup/platform.h"
#include "ui/win32/win32_progress_window.h"

namespace kivrel {

// The program with native Windows windows. The dialog's model exists from
// the first load of the settings on; its window and the progress window only
// when shown.
class Win32UserInterface : public UserInterface {
 public:
  explicit Win32UserInterface(MessageBoxes& boxes) : boxes_(boxes) {}

  DialogHooks& Dialog(Settings& settings) override;
  void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) override;
  ProgressView& Progress() override;
  // Shows the failure in a message box, and on standard error for scripts.
  void ReportFailure(const std::string& text) override;
  // One message box with every notice, a line each.
  void ReportNotices(const std::vector<std::string>& notices) override;

 private:
  MessageBoxes& boxes_;
  std::unique_ptr<DialogModel> dialog_;
  std::unique_ptr<Win32ProgressWindow> progress_;
};

// One start of the program with windows: returns its exit status.
int RunWithWindows(const std::string& program_folder, const std::string& command_text);

}  // namespace kivrel
