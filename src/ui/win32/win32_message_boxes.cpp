#include "ui/win32/win32_message_boxes.h"

#include "ui/win32/win32_window.h"

namespace kivrel {

void Win32MessageBoxes::Notify(const std::string& text) {
  MessageBoxW(GetActiveWindow(), win32::Wide(text).c_str(), win32::Wide(kMessageTitle).c_str(),
              MB_OK | MB_SETFOREGROUND);
}

bool Win32MessageBoxes::Ask(const std::string& text) {
  return MessageBoxW(GetActiveWindow(), win32::Wide(text).c_str(), win32::Wide(kMessageTitle).c_str(),
                     MB_YESNO | MB_DEFBUTTON1 | MB_SETFOREGROUND) == IDYES;
}

}  // namespace kivrel
