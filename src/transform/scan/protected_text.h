#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "common/ascii.h"
#include "transform/scan/comment_leaders.h"

// Text before the comment start that the rules leave alone: an expression
// in brackets and a parameter reference. In it no letter is a word, no
// character starts a comment, and the exchange changes nothing.
namespace kivrel::protected_text {

using ascii::IsDigit;

// A "#" at `at` starts a parameter reference, not a comment: a digit, "<",
// "[" or another "#" follows it.
inline bool StartsParameter(const unsigned char* text, std::size_t size, std::size_t at) {
  if (at + 1 >= size) return false;
  const unsigned char next = text[at + 1];
  return IsDigit(next) || next == '<' || next == '[' || next == '#';
}

// Where the protected text that starts at `at` ends: a "[" runs to its
// matching "]", nesting counted, or to the end of the line; a parameter
// reference is "#" with its digits, its "<name>", or the reference or
// expression that gives its number.
inline std::size_t End(const unsigned char* text, std::size_t size, std::size_t at) {
  if (text[at] == '[') {
    int depth = 0;
    for (std::size_t i = at; i < size; ++i) {
      if (text[i] == '[') {
        ++depth;
      } else if (text[i] == ']' && --depth == 0) {
        return i + 1;
      }
    }
    return size;
  }
  std::size_t i = at + 1;
  while (i < size && text[i] == '#') ++i;
  if (i >= size) return size;
  if (text[i] == '[') return End(text, size, i);
  if (text[i] == '<') {
    const void* close = std::memchr(text + i, '>', size - i);
    return close != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text) + 1 : size;
  }
  while (i < size && IsDigit(text[i])) ++i;
  return i;
}

// Calls `region(start, end)` for each protected stretch of `line` in order,
// and returns where its comment starts (the line's size without one). A
// comment in parentheses that closes on the line is passed over: words
// follow it.
template <typename Region>
std::size_t Find(std::string_view line, Region region) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  for (std::size_t at = 0; at < size; ++at) {
    const unsigned char c = text[at];
    if (c == '[' || (c == '#' && StartsParameter(text, size, at))) {
      const std::size_t end = End(text, size, at);
      region(at, end);
      at = end - 1;
    } else if (CommentLeaders.find(static_cast<char>(c)) != std::string_view::npos) {
      const void* close = c == '(' ? std::memchr(text + at + 1, ')', size - at - 1) : nullptr;
      if (close == nullptr) return at;
      at = static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text);
    }
  }
  return size;
}

}  // namespace kivrel::protected_text
