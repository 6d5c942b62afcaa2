#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/powers_of_ten.h"

namespace kivrel {

// A plain number at the start of a text: a sign, digits, a point, digits.
struct PlainNumber {
  double value = 0;        // when `exact`
  std::size_t end = 0;     // where the plain form ends
  std::size_t digits = 0;  // digits read, before and after the point
  bool point = false;
  // 1 to 15 digits: the mantissa and the power of ten are both exact, so
  // the one division rounds the value correctly.
  bool exact() const { return digits > 0 && digits <= 15; }
};

// Reads the plain form at the start of `text`; most numbers in a program
// are no more than that, and this is their fast way in.
inline PlainNumber ReadPlainNumber(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  const bool negative = i < n && p[i] == '-';
  if (i < n && (p[i] == '-' || p[i] == '+')) ++i;
  std::uint64_t mantissa = 0;
  const std::size_t whole_start = i;
  while (i < n && p[i] >= '0' && p[i] <= '9') mantissa = mantissa * 10 + static_cast<std::uint64_t>(p[i++] - '0');
  PlainNumber number;
  number.digits = i - whole_start;
  std::size_t decimals = 0;
  number.point = i < n && p[i] == '.';
  if (number.point) {
    const std::size_t fraction_start = ++i;
    while (i < n && p[i] >= '0' && p[i] <= '9') mantissa = mantissa * 10 + static_cast<std::uint64_t>(p[i++] - '0');
    decimals = i - fraction_start;
    number.digits += decimals;
  }
  number.end = i;
  if (number.exact()) {
    number.value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    if (negative) number.value = -number.value;
  }
  return number;
}

}  // namespace kivrel
