#pragma once

#include <string>

namespace kivrel {

// The title every message box of the program carries.
inline constexpr const char* kMessageTitle = "Kivrel Preprocessor";

// Modal notices to the operator: OK only, no icon, the program's title. The
// program waits at each until it is answered.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void Notify(const std::string& text) = 0;
  // A question with Yes (the default) and No; true for Yes.
  virtual bool Ask(const std::string& text) = 0;
};

}  // namespace kivrel
