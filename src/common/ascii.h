#pragma once

#include <cstddef>
#include <string_view>

// Character tests of the program's texts, which are ASCII wherever they
// carry meaning: no locale decides what a digit, a blank or a letter's case
// is.
namespace kivrel::ascii {

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A blank inside a line: space or tab.
constexpr bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

constexpr bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The same letters, whatever their case.
constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace kivrel::ascii
