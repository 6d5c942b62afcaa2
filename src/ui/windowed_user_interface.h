#pragma once

#include <memory>
#include <ostream>

#include "settings/dialog_model.h"
#include "startup/platform.h"

namespace kivrel {

// What the program with windows does the same with any toolkit: the
// dialog's model exists from the first load of the settings on; failures
// and notices come in message boxes (failures on standard error as well,
// for scripts). The toolkit's views show the dialog and the progress.
class WindowedUserInterface : public UserInterface {
 public:
  WindowedUserInterface(MessageBoxes& boxes, std::ostream& errors) : boxes_(boxes), errors_(errors) {}

  DialogHooks& Dialog(Settings& settings) override;
  void ReportFailure(const std::string& text) override;
  // One message box with every notice, a line each.
  void ReportNotices(const std::string& program, const std::vector<std::string>& notices) override;

 protected:
  DialogModel& Model(Settings& settings);
  MessageBoxes& boxes() { return boxes_; }

 private:
  MessageBoxes& boxes_;
  std::ostream& errors_;
  std::unique_ptr<DialogModel> dialog_;
};

}  // namespace kivrel
