#pragma once

#include "platform/file_system.h"

namespace kivrel {

// The process's standard output as a file to write, byte for byte (no line
// end translation on any platform).
class StandardOutput : public WritableFile {
 public:
  StandardOutput();
  void Append(std::string_view data) override;
  // Writes out what the C library still holds.
  void Close() override;
};

}  // namespace kivrel
