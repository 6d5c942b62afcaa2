#include "common/text_reader.h"

#include <cstring>

#include "common/byte_blocks.h"
#include "common/failure.h"

namespace kivrel {
namespace {
constexpr std::size_t kBlock = 1 << 16;

// The first CR or LF in `size` bytes at `text`, or null: one pass, eight
// bytes at a time (a line is a few dozen bytes, too short for two searches
// to pay, and some C libraries search byte by byte).
const char* FindLineEnd(const char* text, std::size_t size) {
  using namespace byte_blocks;
  std::size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    const std::uint64_t word = LoadEight(text + at, 8);
    const std::uint64_t ends = BytesEqual(word, '\n') | BytesEqual(word, '\r');
    if (ends != 0) return text + at + FirstMarked(ends);
  }
  for (; at < size; ++at) {
    if (text[at] == '\n' || text[at] == '\r') return text + at;
  }
  return nullptr;
}

}  // namespace

TextReader::TextReader(std::unique_ptr<ReadableFile> file)
    : file_(std::move(file)), buffer_(kBlock) {}

bool TextReader::Fill() {
  if (exhausted_) return false;
  position_ = 0;
  end_ = file_->Read(buffer_.data(), buffer_.size());
  if (end_ == 0) exhausted_ = true;
  return end_ > 0;
}

bool TextReader::AtEndOfStream() { return position_ == end_ && !Fill(); }

void TextReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEndOfStream()) {
    throw Failure(static_cast<int>(std::errc::io_error), "input read past its end");
  }
  for (;;) {
    const char* start = buffer_.data() + position_;
    std::size_t available = end_ - position_;
    // The line ends at the first LF or CR, whichever comes first.
    const char* stop = FindLineEnd(start, available);
    if (stop == nullptr) {
      line.append(start, available);
      position_ = end_;
      if (!Fill()) return;  // last line without a terminator
      continue;
    }
    line.append(start, static_cast<std::size_t>(stop - start));
    position_ += static_cast<std::size_t>(stop - start) + 1;
    if (*stop == '\r' && (position_ < end_ || Fill()) && buffer_[position_] == '\n') ++position_;
    return;
  }
}

int TextReader::PeekByte() {
  if (AtEndOfStream()) return -1;
  return static_cast<unsigned char>(buffer_[position_]);
}

void TextReader::Close() { file_->Close(); }

}  // namespace kivrel
