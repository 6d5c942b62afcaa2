#pragma once

#include <cstddef>
#include <string_view>

#include "common/ascii.h"

// The characters a word's number is made of.
namespace kivrel::word_characters {

// Blanks may stand between a word's letter and its number and inside it.
using ascii::IsBlank;

// Digits, point and signs.
constexpr bool IsNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-'; }

// What a word's number run holds: number characters and blanks.
constexpr bool IsRunCharacter(char c) { return IsNumberCharacter(c) || IsBlank(c); }

// For each byte: 1 for a number character, 2 for a blank, else 0.
struct RunTable {
  unsigned char kind[256];
  constexpr RunTable() : kind() {
    for (int c = 0; c < 256; ++c) {
      kind[c] = IsNumberCharacter(static_cast<char>(c)) ? 1 : IsBlank(static_cast<char>(c)) ? 2 : 0;
    }
  }
};
inline constexpr RunTable kRunTable;

// Where the number run that has reached `from` ends, without the blanks at
// its end: `text` is followed by a byte that is no run character (a
// std::string's terminating NUL), so its end need not be watched.
inline std::size_t RunEnd(const char* text, std::size_t from) {
  std::size_t end = from;
  for (std::size_t i = from;; ++i) {
    const unsigned char kind = kRunTable.kind[static_cast<unsigned char>(text[i])];
    if (kind == 0) return end;
    if (kind == 1) end = i + 1;
  }
}

// The first place at or after `from` that is no blank.
inline std::size_t SkipBlanks(std::string_view text, std::size_t from) {
  while (from < text.size() && IsBlank(text[from])) ++from;
  return from;
}

// A number follows at `from`, after any blanks: the letter before it
// starts a word.
inline bool NumberFollows(std::string_view text, std::size_t from) {
  from = SkipBlanks(text, from);
  return from < text.size() && IsNumberCharacter(text[from]);
}

}  // namespace kivrel::word_characters
