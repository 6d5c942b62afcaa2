#pragma once

#include <bit>
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

}  // namespace kivrel
