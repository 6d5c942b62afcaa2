#pragma once

#include <bit>
#include <cstdint>

#include "common/fixed_text.h"
#include "common/powers_of_ten.h"

namespace kivrel {

// A 32-bit value rounded to 7 significant digits, half away from zero on its
// exact binary value: RoundSignificant(value, 7), by a shorter way for the
// values most words have (2^-16 up to 2^38, about 1.5e-5 to 2.7e11), where
// 64-bit integers hold every product exactly.
inline Decimal RoundSingle(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  if (biased < 111 || biased > 164) return RoundSignificant(static_cast<double>(value), 7);
  // value = mantissa / 2^shift, with 2^(binary_exponent - 1) <= value < 2^binary_exponent.
  const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  const int shift = 150 - biased;
  const int binary_exponent = biased - 126;
  // floor(log10(value)), or one below it: (x * 78913) >> 18 is floor(x * log10(2)) here.
  int k = ((binary_exponent - 1) * 78913) >> 18;
  for (;;) {
    const int s = 6 - k;  // the value x 10^s has 7 digits before the point
    std::uint64_t quotient = 0;
    bool up = false;
    if (s >= 0) {
      // k <= 6: the value is below 10^7 < 2^24, so shift >= 0.
      const std::uint64_t product = mantissa * kPowersOfTen[s];
      if (shift > 0) {
        quotient = product >> shift;
        up = ((product >> (shift - 1)) & 1) != 0;  // what is cut off is at least one half
      } else {
        quotient = product;
      }
    } else {
      // k >= 7: the value is at least 10^7 > 2^23, so shift <= 0; a whole number.
      const std::uint64_t whole = mantissa << -shift;
      const std::uint64_t divisor = kPowersOfTen[-s];
      quotient = whole / divisor;
      up = 2 * (whole % divisor) >= divisor;
    }
    if (quotient >= 10000000u) {
      ++k;
      continue;
    }
    if (quotient < 1000000u) {
      --k;
      continue;
    }
    Decimal result;
    result.negative = (bits >> 31) != 0;
    result.significand = up ? quotient + 1 : quotient;  // 9999999.5 becomes 10^7: still exact
    result.exponent = k - 6;
    return result;
  }
}

}  // namespace kivrel
