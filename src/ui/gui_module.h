#pragma once

#include <memory>
#include <string>

#include "startup/platform.h"

namespace kivrel {

// The windows of one start: its message boxes and user interface, with
// whatever the window toolkit needs kept alive while they are used.
class Windows {
 public:
  virtual ~Windows() = default;
  virtual MessageBoxes& boxes() = 0;
  virtual UserInterface& ui() = 0;
};

// Opens the windows for a start of `program_name`. Where they live in a
// module of their own (kivrel-gui beside the program, in `program_folder`),
// it is loaded only now, so that a start without a display never loads the
// window system. Null, having said why on standard error, where the module
// cannot be loaded.
[[nodiscard]] std::unique_ptr<Windows> OpenWindows(const std::string& program_folder, const char* program_name);

}  // namespace kivrel
