#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "numbers/powers_of_ten.h"

namespace kivrel {

// A plain number at the start of a text: a sign, digits, a point, digits.
struct PlainNumber {
  double value = 0;        // when `exact`
  std::uint64_t mantissa = 0;  // ... the digits without the point
  int decimals = 0;            // ... of which are after it
  bool negative = false;
  std::size_t end = 0;     // where the plain form ends
  std::size_t digits = 0;  // digits read, before and after the point
  bool point = false;
  // 1 to 15 digits: the mantissa and the power of ten are both exact, so
  // the one division rounds the value correctly.
  bool exact() const { return digits > 0 && digits <= 15; }
};

namespace plain_number {

// The reader for both kinds of text. A terminated text is followed by a
// byte that is no digit, point or sign (a std::string's NUL), so that the
// reader need not watch its end.
template <bool kTerminated>
PlainNumber Read(const char* p, std::size_t n) {
  auto has = [&](std::size_t i) { return kTerminated || i < n; };
  auto digit = [&](std::size_t i) { return has(i) && static_cast<unsigned char>(p[i] - '0') <= 9; };
  std::size_t i = 0;
  const bool negative = has(i) && p[i] == '-';
  if (has(i) && (p[i] == '-' || p[i] == '+')) ++i;
  std::uint64_t mantissa = 0;
  const std::size_t whole_start = i;
  for (; digit(i); ++i) mantissa = mantissa * 10 + static_cast<unsigned char>(p[i] - '0');
  PlainNumber number;
  number.digits = i - whole_start;
  std::size_t decimals = 0;
  number.point = has(i) && p[i] == '.';
  if (number.point) {
    const std::size_t fraction_start = ++i;
    for (; digit(i); ++i) mantissa = mantissa * 10 + static_cast<unsigned char>(p[i] - '0');
    decimals = i - fraction_start;
    number.digits += decimals;
  }
  number.end = i;
  number.mantissa = mantissa;
  number.decimals = static_cast<int>(decimals);
  number.negative = negative;
  if (number.exact()) {
    number.value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    if (negative) number.value = -number.value;
  }
  return number;
}

}  // namespace plain_number

// Reads the plain form at the start of `text`; most numbers in a program
// are no more than that, and this is their fast way in.
inline PlainNumber ReadPlainNumber(std::string_view text) {
  return plain_number::Read<false>(text.data(), text.size());
}

}  // namespace kivrel
