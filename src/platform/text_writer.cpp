#include "platform/text_writer.h"

namespace kivrel {
namespace {
constexpr std::size_t kBlock = 1 << 16;
}

TextWriter::TextWriter(std::unique_ptr<WritableFile> file) : file_(std::move(file)) {
  buffer_.reserve(kBlock);
}

void TextWriter::Write(std::string_view text) {
  if (buffer_.size() + text.size() > kBlock) {
    Flush();
    if (text.size() >= kBlock) {
      unsynced_ = true;
      file_->Append(text);
      return;
    }
  }
  buffer_.append(text);
}

void TextWriter::Flush() {
  if (buffer_.empty()) return;
  unsynced_ = true;
  file_->Append(buffer_);
  buffer_.clear();
}

void TextWriter::Sync() {
  Flush();
  // A second sync with nothing new would cost a wait for the disk again.
  if (!unsynced_) return;
  file_->Sync();
  unsynced_ = false;
}

void TextWriter::Close() {
  Flush();
  file_->Close();
}

}  // namespace kivrel
