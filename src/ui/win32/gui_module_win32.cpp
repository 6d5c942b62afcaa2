// On Windows the windows are part of the programs themselves: one file for
// the host's plug-in folder.
#include "platform/process_info.h"
#include "ui/win32/win32_message_boxes.h"
#include "ui/win32/win32_user_interface.h"
#include "ui/gui_module.h"

namespace kivrel {

bool RunWithGuiModule(int argc, char** argv, const char* program_folder, int& exit_status) {
  exit_status = RunWithWindows(program_folder, CommandTail(argc, argv));
  return true;
}

bool ShowNoticesWithGuiModule(const char*, const std::string& text) {
  Win32MessageBoxes().Notify(text);
  return true;
}

}  // namespace kivrel
