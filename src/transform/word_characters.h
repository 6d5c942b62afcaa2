#pragma once

#include <cstddef>
#include <string_view>

// The characters a word's number is made of.
namespace kivrel::word_characters {

// Blanks may stand between a word's letter and its number and inside it.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Digits, point and signs.
inline bool IsNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-'; }

// What a word's number run holds: number characters and blanks.
inline bool IsRunCharacter(char c) { return IsNumberCharacter(c) || IsBlank(c); }

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
