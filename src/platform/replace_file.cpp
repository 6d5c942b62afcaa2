#include "platform/replace_file.h"

namespace kivrel {

PendingReplacement::PendingReplacement(FileSystem& files, std::string path)
    : files_(files),
      path_(std::move(path)),
      writer_(std::make_unique<TextWriter>(files_.CreateTemporaryBeside(path_, temporary_))) {}

PendingReplacement::~PendingReplacement() {
  // Closed first: Windows removes no file that is open.
  writer_.reset();
  if (!renamed_) DiscardTemporary(files_, temporary_);
}

void PendingReplacement::Finish() {
  writer_->Sync();
  writer_->Close();
}

void PendingReplacement::Install() {
  files_.Rename(temporary_, path_);
  renamed_ = true;
  files_.SyncFolderOf(path_);
}

void PendingReplacement::Commit(std::string_view content) {
  writer_->Write(content);
  Finish();
  Install();
}

void DiscardTemporary(FileSystem& files, const std::string& temporary_path) {
  try {
    files.Remove(temporary_path);
  } catch (...) {
  }
}

}  // namespace kivrel
