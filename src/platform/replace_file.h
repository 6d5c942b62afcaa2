#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_writer.h"

namespace kivrel {

// A file that is to replace `path`. Its temporary file is created at once,
// so that a folder that cannot be written fails before anything else has
// changed. The content is written to it, put on the disk and only then
// renamed over `path`, whose folder is synced in turn: `path` holds its old
// content or the whole new one, also after a power cut. Dropped before it
// is installed, or after a failure, the temporary file is removed.
class PendingReplacement {
 public:
  PendingReplacement(FileSystem& files, std::string path);
  ~PendingReplacement();
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;

  // The temporary file, to write the content to.
  TextWriter& writer() { return *writer_; }

  // Writes out what is buffered, puts the file on the disk and closes it.
  void Finish();
  // Renames the finished file over `path` and puts that change on the disk.
  void Install();
  // Writes `content`, then Finish and Install.
  void Commit(std::string_view content);
  // True once the file stands under `path`, even if its folder could not
  // be synced.
  bool renamed() const { return renamed_; }

 private:
  FileSystem& files_;
  std::string path_;
  std::string temporary_;
  std::unique_ptr<TextWriter> writer_;
  bool renamed_ = false;
};

// Removes a temporary file after a failure, as far as that is possible: the
// failure that led here is the one worth reporting.
void DiscardTemporary(FileSystem& files, const std::string& temporary_path);

}  // namespace kivrel
