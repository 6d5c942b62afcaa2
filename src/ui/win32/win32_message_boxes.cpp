#include "ui/win32/win32_message_boxes.h"

#include "ui/win32/win32_window.h"

namespace kivrel {
namespace {

// The box stays above every other window, the host's too: a host that waits
// for the program takes no input until the box is answered, so the box must
// never end up behind it. MB_SYSTEMMODAL is MB_APPLMODAL (the owner, if any,
// is disabled) with the box made topmost; wine honours it where it ignores
// MB_TOPMOST. A message box has no minimize (or maximize) button, so it
// cannot drop out of sight that way either.
int ShowBox(const std::string& text, UINT buttons) {
  return MessageBoxW(GetActiveWindow(), win32::Wide(text).c_str(), win32::Wide(kMessageTitle).c_str(),
                     buttons | MB_SYSTEMMODAL | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace

void Win32MessageBoxes::Notify(const std::string& text) {
  ShowBox(text, MB_OK);
}

bool Win32MessageBoxes::Ask(const std::string& text) {
  return ShowBox(text, MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

}  // namespace kivrel
