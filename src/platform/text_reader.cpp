#include "platform/text_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/failure.h"
#include "common/line_ends.h"

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

bool TextReader::TakeByteOrderMark() {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  // A file may hand out fewer bytes a read than the mark has.
  while (end_ - position_ < kMark.size() && !exhausted_) {
    std::memmove(buffer_.data(), buffer_.data() + position_, end_ - position_);
    end_ -= position_;
    position_ = 0;
    const std::size_t read = file_->Read(buffer_.data() + end_, buffer_.size() - end_);
    if (read == 0) exhausted_ = true;
    end_ += read;
  }
  if (end_ - position_ < kMark.size() || std::string_view(buffer_.data() + position_, kMark.size()) != kMark) {
    return false;
  }
  position_ += kMark.size();
  return true;
}

bool TextReader::AtEndOfStream() { return position_ == end_ && !Fill(); }

void TextReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEndOfStream()) {
    throw Failure(std::errc::io_error, "input read past its end");
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
  const std::size_t start = chunk.size();
  // First what is buffered: the rest of a line kept back, or lines
  // buffered for ReadLine.
  chunk.Append(std::string_view(buffer_.data() + position_, end_ - position_));
  position_ = end_ = 0;
  std::size_t searched = start;  // line ends before this are not the last
  for (;;) {
    const std::size_t taken = chunk.size() - start;
    // A CR at the end may yet be followed by its LF: it is looked at again.
    if (taken >= target && KeepBackAfterLastLineEnd(chunk, searched)) return true;
    searched = chunk.size() > start ? chunk.size() - 1 : start;
    if (exhausted_) return taken > 0;
    const std::size_t room = std::max(kBlock, target > taken ? target - taken : 0);
    const std::size_t count = file_->Read(chunk.Reserve(room), room);
    if (count == 0) exhausted_ = true;
    chunk.Commit(count);
  }
}

bool TextReader::KeepBackAfterLastLineEnd(ByteBuffer& chunk, std::size_t from) {
  const char* text = chunk.data();
  const std::size_t size = chunk.size();
  // The cut goes after a LF, or after a CR that is known to have no LF after it.
  std::size_t cut = size;
  while (cut > from && text[cut - 1] != '\n' && !(text[cut - 1] == '\r' && cut < size)) --cut;
  if (cut == from) return false;
  const std::size_t kept = size - cut;
  if (buffer_.size() < kept) buffer_.resize(kept);
  std::memcpy(buffer_.data(), text + cut, kept);
  end_ = kept;
  chunk.Shrink(kept);
  return true;
}

int TextReader::PeekByte() {
  if (AtEndOfStream()) return -1;
  return static_cast<unsigned char>(buffer_[position_]);
}

void TextReader::Close() { file_->Close(); }

}  // namespace kivrel
