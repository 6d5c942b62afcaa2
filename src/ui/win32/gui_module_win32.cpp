// On Windows the windows are part of the programs themselves: one file for
// the host's plug-in folder.
#include "ui/gui_module.h"

#include "ui/win32/win32_message_boxes.h"
#include "ui/win32/win32_user_interface.h"

namespace kivrel {
namespace {

// The layout is drawn at the screen's real DPI, not scaled up blurred: the
// programs' manifest declares them DPI-aware (packaging/windows).
class Win32Windows : public Windows {
 public:
  MessageBoxes& boxes() override { return boxes_; }
  UserInterface& ui() override { return ui_; }

 private:
  Win32MessageBoxes boxes_;
  Win32UserInterface ui_{boxes_};
};

}  // namespace

std::unique_ptr<Windows> OpenWindows(const std::string&, const char*) { return std::make_unique<Win32Windows>(); }

}  // namespace kivrel
