#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "settings/dialog_hooks.h"
#include "settings/parameter_file.h"
#include "transform/progress_view.h"

namespace kivrel {

// The windows of the program, or what stands in for them without a display.
class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // The settings dialog's side of loading and saving the parameter file, for
  // the one settings record of this start.
  virtual DialogHooks& Dialog(Settings& settings) = 0;
  // Setup mode: lets the operator edit and save the settings; returns when
  // the dialog has closed.
  virtual void ShowSetupDialog(Settings& settings, const SettingsEnvironment& environment) = 0;
  virtual ProgressView& Progress() = 0;
  // Tells the operator of a failure that ends the program.
  virtual void ReportFailure(const std::string& text) = 0;
  // Tells the operator, after a finished conversion of the program at
  // `program`, where it will not move as the settings say.
  virtual void ReportNotices(const std::string& program, const std::vector<std::string>& notices) = 0;
};

// Everything one start of the program takes from its surroundings.
struct Platform {
  FileSystem& files;
  MessageBoxes& boxes;
  Clock& clock;
  UserInterface& ui;
  std::ostream& errors;        // standard error: what a script or a log reads
  std::string program_folder;  // the folder of the executable
  std::string CommandText;     // the whole command tail, as received
  // Threads that convert chunks of a long program while the calling thread
  // reads and writes them; 1: the calling thread converts alone.
  unsigned threads = 1;
};

}  // namespace kivrel
