#pragma once

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>

#include "numbers/binary_rounding.h"
#include "numbers/fixed_text.h"
#include "numbers/powers_of_ten.h"

namespace kivrel {

// A 32-bit value rounded to 7 significant digits, half away from zero on its
// exact binary value: RoundSignificant(value, 7), by a shorter way for the
// values most words have (2^-16 up to 2^38, about 1.5e-5 to 2.7e11), where
// 64-bit integers hold every product exactly.
inline Decimal RoundSingle(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  if (biased < 111 || biased > 164) return RoundSignificant(static_cast<double>(value), 7);
  // value = mantissa x 2^e, below 2^(biased - 126); a 24-bit mantissa times
  // at most 10^12 stays within 64 bits, and a value of 10^7 or more is whole.
  const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  Decimal result;
  result.negative = (bits >> 31) != 0;
  binary_rounding::Round<true>(mantissa, biased - 150, binary_rounding::Log10Guess(biased - 126), 7, result);
  return result;
}

// The smallest magnitude SingleToFourDecimals takes.
inline constexpr float kSmallestShortSingle = 0x1p-16f;

// ToPattern(RoundSingle(value), Pattern::FourDecimals).scaled for a value of
// 2^-16 up to below 1000 in magnitude, the range most words' products lie
// in: the same two roundings (seven significant digits, then four decimals)
// without the Decimal between them. The sign is the value's own.
inline std::uint64_t SingleToFourDecimals(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  assert(biased >= 111 && std::fabs(value) < 1000.0f);
  // value = mantissa / 2^shift, shift 14 to 39; floor(log10) is from -5 to
  // 2, and a guess one below it makes mantissa x 10^12 at most, within 64
  // bits.
  const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  const int shift = 150 - biased;
  int k = binary_rounding::Log10Guess(biased - 126);  // floor(log10(value)), or one below
  for (;;) {
    const std::uint64_t product = mantissa * kPowersOfTen[6 - k];
    std::uint64_t digits = product >> shift;  // the seven digits, truncated
    if (digits >= kPowersOfTen[7]) {          // the guess was one below
      ++k;
      continue;
    }
    digits += (product >> (shift - 1)) & 1;  // half away from zero
    // digits x 10^(k - 6), taken to four decimals.
    if (k >= 2) return digits;
    const std::uint64_t unit = kPowersOfTen[2 - k];
    const std::uint64_t remainder = digits % unit;
    return digits / unit + (remainder >= unit - remainder ? 1 : 0);
  }
}

}  // namespace kivrel
