#pragma once

#include "platform/message_boxes.h"

namespace kivrel {

// Modal Qt message boxes: no icon, the program's title, OK (or Yes and No,
// Yes the default), kept above every other window, with no minimize button
// and brought back should a window manager minimize them all the same.
class QtMessageBoxes : public MessageBoxes {
 public:
  void Notify(const std::string& text) override;
  bool Ask(const std::string& text) override;
};

}  // namespace kivrel
