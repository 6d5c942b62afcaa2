#include "common/text_writer.h"

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
      file_->Append(text);
      return;
    }
  }
  buffer_.append(text);
}

void TextWriter::Flush() {
  if (buffer_.empty()) return;
  file_->Append(buffer_);
  buffer_.clear();
}

void TextWriter::Close() {
  Flush();
  file_->Close();
}

}  // namespace kivrel
