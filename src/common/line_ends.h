#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/sixteen_bytes.h"

namespace kivrel {

// The first CR or LF in `size` bytes at `text`, or null: one pass, sixteen
// bytes at a time (a line is a few dozen bytes, too short for two searches
// to pay, and some C libraries search byte by byte). A line ends at CR LF,
// at a lone LF or at a lone CR.
inline const char* FindLineEnd(const char* text, std::size_t size) {
  using namespace sixteen_bytes;
  std::size_t at = 0;
  for (; at + 16 <= size; at += 16) {
    const Block block = Load(text + at);
    const unsigned ends = Bits(Or(Equal(block, '\n'), Equal(block, '\r')));
    if (ends != 0) return text + at + std::countr_zero(ends);
  }
  for (; at < size; ++at) {
    if (text[at] == '\n' || text[at] == '\r') return text + at;
  }
  return nullptr;
}

// The lines of a text held whole, one after the other, by the rules of
// FindLineEnd; a last line without a terminator is a line too.
class LineSplitter {
 public:
  explicit LineSplitter(std::string_view text) : text_(text) {}

  // The next line, without its terminator; false after the last.
  bool Next(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    const char* start = text_.data() + at_;
    const char* stop = FindLineEnd(start, text_.size() - at_);
    if (stop == nullptr) {
      line = std::string_view(start, text_.size() - at_);
      at_ = text_.size();
      return true;
    }
    line = std::string_view(start, static_cast<std::size_t>(stop - start));
    at_ += line.size() + 1;
    if (*stop == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace kivrel
