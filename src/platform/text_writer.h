#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kivrel {

// An 8-bit text stream written in large blocks. Write appends its text as it
// is and adds no line end.
class TextWriter {
 public:
  explicit TextWriter(std::unique_ptr<WritableFile> file);

  void Write(std::string_view text);

  // Writes what is buffered and puts the whole file on the disk itself.
  void Sync();

  // Writes what is buffered and closes the file; failures are reported here.
  void Close();

 private:
  void Flush();

  std::unique_ptr<WritableFile> file_;
  std::string buffer_;
  bool unsynced_ = false;  // written to since the last Sync
};

}  // namespace kivrel
