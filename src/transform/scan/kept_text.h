#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "common/ascii.h"
#include "transform/scan/protected_text.h"

// Comment text the controller acts on, which keeps its bytes as read: the
// text of a comment that shows, prints or logs a message or opens a log of
// probe results, and a ";" remark (to the end of the line). It is neither
// upper-cased nor exchanged.
namespace kivrel::kept_text {

// The "(" at `at` opens such a comment: MSG, PRINT or DEBUG and a comma,
// or LOG or PROBE and anything (LOGOPEN, PROBECLOSE, ...), in any letter
// case, after any blanks.
inline bool IsActiveComment(const unsigned char* text, std::size_t size, std::size_t at) {
  std::size_t i = at + 1;
  while (i < size && ascii::IsBlank(text[i])) ++i;
  static constexpr std::string_view kKeys[] = {"MSG,", "PRINT,", "DEBUG,", "LOG", "PROBE"};
  for (std::string_view key : kKeys) {
    if (size - i < key.size()) continue;
    std::size_t k = 0;
    while (k < key.size() && ascii::Upper(static_cast<char>(text[i + k])) == key[k]) ++k;
    if (k == key.size()) return true;
  }
  return false;
}

// The comment that starts the line's comment at `at` keeps its bytes: a
// remark, or an active comment that does not close on the line.
inline bool KeepsComment(const unsigned char* text, std::size_t size, std::size_t at) {
  return text[at] == ';' || (text[at] == '(' && IsActiveComment(text, size, at));
}

// Calls `region(start, end)` for each stretch of `line` that no exchange
// reaches, in order: protected text, the active comments that close on the
// line, and a kept comment to the end of the line.
template <typename Region>
void FindUnexchanged(std::string_view line, Region region) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  for (std::size_t at = 0; at < size; ++at) {
    const unsigned char c = text[at];
    if (c == '[' || (c == '#' && protected_text::StartsParameter(text, size, at))) {
      const std::size_t end = protected_text::End(text, size, at);
      region(at, end);
      at = end - 1;
    } else if (CommentLeaders.find(static_cast<char>(c)) != std::string_view::npos) {
      const void* close = c == '(' ? std::memchr(text + at + 1, ')', size - at - 1) : nullptr;
      if (close == nullptr) {
        if (KeepsComment(text, size, at)) region(at, size);
        return;
      }
      const std::size_t end = static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text) + 1;
      if (IsActiveComment(text, size, at)) region(at, end);
      at = end - 1;
    }
  }
}

}  // namespace kivrel::kept_text
