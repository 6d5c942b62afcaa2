#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/file_system.h"

namespace kivrel {

// A file that is to replace `path`. Its temporary file is created at once,
// so that a folder that cannot be written fails before anything else has
// changed; Commit writes the content, closes the file and renames it over
// `path`, which then holds either its old content or the whole new one.
// Dropped without a Commit, or after a failed one, the temporary file is
// removed.
class PendingReplacement {
 public:
  PendingReplacement(FileSystem& files, std::string path);
  ~PendingReplacement();
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;

  void Commit(std::string_view content);

 private:
  FileSystem& files_;
  std::string path_;
  std::string temporary_;
  std::unique_ptr<WritableFile> file_;
  bool committed_ = false;
};

// A PendingReplacement committed at once. `created` (if given) tells
// whether the temporary file had been created before a failure.
void ReplaceFile(FileSystem& files, const std::string& path, std::string_view content,
                 bool* created = nullptr);

// Removes a temporary file after a failure, as far as that is possible: the
// failure that led here is the one worth reporting.
void DiscardTemporary(FileSystem& files, const std::string& temporary_path);

}  // namespace kivrel
