#include "common/replace_file.h"

#include "common/failure.h"
#include "common/text_writer.h"

namespace kivrel {

PendingReplacement::PendingReplacement(FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)), file_(files_.CreateTemporaryBeside(path_, temporary_)) {}

PendingReplacement::~PendingReplacement() {
  file_.reset();
  if (!committed_) DiscardTemporary(files_, temporary_);
}

void PendingReplacement::Commit(std::string_view content) {
  {
    TextWriter writer(std::move(file_));
    writer.Write(content);
    writer.Close();
  }
  files_.Rename(temporary_, path_);
  committed_ = true;
}

void ReplaceFile(FileSystem& files, const std::string& path, std::string_view content, bool* created) {
  if (created != nullptr) *created = false;
  PendingReplacement replacement(files, path);
  if (created != nullptr) *created = true;
  replacement.Commit(content);
}

void DiscardTemporary(FileSystem& files, const std::string& temporary_path) {
  try {
    files.Remove(temporary_path);
  } catch (const Failure&) {
  }
}

}  // namespace kivrel
