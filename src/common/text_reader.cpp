#include "common/text_reader.h"

#include <cstring>

#include "common/line_ends.h"
#include "common/failure.h"

namespace kivrel {
namespace {
constexpr std::size_t kBlock = 1 << 16;

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

bool TextReader::ReadChunk(ByteBuffer& chunk, std::size_t target) {
  if (AtEndOfStream()) return false;
  std::size_t taken = 0;
  for (;;) {
    const char* start = buffer_.data() + position_;
    const std::size_t available = end_ - position_;
    if (taken + available >= target) {
      // Enough: the chunk ends at the last line end buffered, a LF or a CR
      // that is known to have no LF after it.
      std::size_t cut = available;
      while (cut > 0 && start[cut - 1] != '\n' && !(start[cut - 1] == '\r' && cut < available)) --cut;
      if (cut > 0) {
        chunk.Append(std::string_view(start, cut));
        position_ += cut;
        return true;
      }
    }
    // Too little yet, or a line longer than what is buffered: all of it, and on.
    chunk.Append(std::string_view(start, available));
    taken += available;
    position_ = end_;
    if (!Fill()) return true;  // the end of the text
  }
}

int TextReader::PeekByte() {
  if (AtEndOfStream()) return -1;
  return static_cast<unsigned char>(buffer_[position_]);
}

void TextReader::Close() { file_->Close(); }

}  // namespace kivrel
