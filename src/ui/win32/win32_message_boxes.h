#pragma once

#include "platform/message_boxes.h"

namespace kivrel {

// Modal Windows message boxes: OK, or Yes (the default) and No; no icon;
// the program's title; owned by the active window of the program.
class Win32MessageBoxes : public MessageBoxes {
 public:
  void Notify(const std::string& text) override;
  bool Ask(const std::string& text) override;
};

}  // namespace kivrel
