#pragma once

#include <cassert>
#include <cstdint>

#include "numbers/fixed_text.h"
#include "numbers/powers_of_ten.h"

// Rounding a binary value mantissa x 2^e to significant decimal digits with
// integer arithmetic, for the ranges where the products fit.
namespace kivrel::binary_rounding {

// The 128-bit product of two 64-bit numbers, as high and low halves.
struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

inline Wide Multiply(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  __extension__ using Unsigned128 = unsigned __int128;
  const Unsigned128 product = static_cast<Unsigned128>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  const std::uint64_t a_low = a & 0xFFFFFFFFu, a_high = a >> 32;
  const std::uint64_t b_low = b & 0xFFFFFFFFu, b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low;
  const std::uint64_t high_low = a_high * b_low;
  const std::uint64_t low_high = a_low * b_high;
  const std::uint64_t high_high = a_high * b_high;
  const std::uint64_t middle = (low_low >> 32) + (high_low & 0xFFFFFFFFu) + (low_high & 0xFFFFFFFFu);
  return {high_high + (high_low >> 32) + (low_high >> 32) + (middle >> 32),
          (middle << 32) | (low_low & 0xFFFFFFFFu)};
#endif
}

// Bits `shift` and up of `value` (shift 1 to 127), which must fit 64 bits.
inline std::uint64_t ShiftRight(Wide value, int shift) {
  if (shift >= 64) return value.high >> (shift - 64);
  return (value.low >> shift) | (value.high << (64 - shift));
}

inline bool Bit(Wide value, int bit) {
  return bit >= 64 ? ((value.high >> (bit - 64)) & 1) != 0 : ((value.low >> bit) & 1) != 0;
}

// floor(log10(x)) for a value x with 2^(binary_exponent - 1) <= x < 2^binary_exponent,
// or one below it: (n * 78913) >> 18 is floor(n * log10(2)) for the exponents met here.
inline int Log10Guess(int binary_exponent) { return ((binary_exponent - 1) * 78913) >> 18; }

// Sets the significand and exponent of `result`: mantissa x 2^e rounded,
// half away from zero, to `significant` (1 to 15) digits. `k` is
// floor(log10) of the value or one off; mantissa x 10^(significant - 1 - k)
// must fit 128 bits and its quotient 64, and a value of 10^significant and
// more must be a whole number whose divisor fits 64 bits.
// With kNarrow the caller also promises that the product fits 64 bits.
template <bool kNarrow>
void Round(std::uint64_t mantissa, int e, int k, int significant, Decimal& result) {
  assert(significant >= 1 && significant <= 15);
  assert(significant - 1 - k < 20);  // a power of ten that kPowersOfTen holds
  for (;;) {
    const int s = significant - 1 - k;
    std::uint64_t quotient = 0;
    bool up = false;
    if (s >= 0 && e < 0) {
      // The part shifted out is at least one half when its top bit is set.
      if constexpr (kNarrow) {
        const std::uint64_t product = mantissa * kPowersOfTen[s];
        quotient = product >> -e;
        up = ((product >> (-e - 1)) & 1) != 0;
      } else {
        const Wide product = Multiply(mantissa, kPowersOfTen[s]);
        quotient = ShiftRight(product, -e);
        up = Bit(product, -e - 1);
      }
    } else if (s >= 0) {
      quotient = (mantissa << e) * kPowersOfTen[s];  // whole: nothing to round
    } else {
      // Only values of 10^significant and more scale down; in the callers'
      // ranges m / 2^-e then has few fraction bits, and the divisor fits.
      const std::uint64_t divisor = kPowersOfTen[-s] << (e < 0 ? -e : 0);
      const std::uint64_t dividend = e < 0 ? mantissa : mantissa << e;
      quotient = dividend / divisor;
      up = 2 * (dividend % divisor) >= divisor;
    }
    if (quotient >= kPowersOfTen[significant]) {  // the guess was one too low
      ++k;
      continue;
    }
    if (quotient < kPowersOfTen[significant - 1]) {  // one too high
      --k;
      continue;
    }
    if (up) ++quotient;
    result.significand = quotient;  // 9.99...5 may have become 10.00...0: still exact
    result.exponent = k - (significant - 1);
    return;
  }
}

}  // namespace kivrel::binary_rounding
