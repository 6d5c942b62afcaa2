#pragma once

#include <cstdint>

#include "numbers/fixed_text.h"
#include "numbers/powers_of_ten.h"

namespace kivrel {

// A word's number as written: `digits` x 10^-decimals, with its sign apart.
struct WrittenNumber {
  bool negative = false;
  std::uint64_t digits = 0;
  int decimals = 0;
};

// A setting as the parameter file stores it: rounded to 7 significant
// digits, then to ten decimals.
FixedNumber StoredSetting(float setting);

// The common case of the product below, in registers: `digits` x
// 10^-decimals (decimals 0 to 13) times `stored` x 10^-10, rounded once,
// half away from zero, to four decimals, into `scaled` (x 10^4). False where
// the product leaves 64 bits, or where the compiler has no 128-bit integers.
inline bool NarrowProductToFourDecimals(std::uint64_t digits, int decimals, std::uint64_t stored,
                                        std::uint64_t& scaled) {
#ifdef __SIZEOF_INT128__
  __extension__ using Unsigned128 = unsigned __int128;
  const int shift = decimals + 10 - 4;
  const Unsigned128 product = static_cast<Unsigned128>(digits) * stored;
  if (product >> 64 != 0 || shift >= 20) return false;
  const std::uint64_t narrow = static_cast<std::uint64_t>(product);
  const std::uint64_t unit = kPowersOfTen[shift];
  const std::uint64_t remainder = narrow % unit;
  scaled = narrow / unit + (remainder >= unit - remainder ? 1 : 0);  // half away from zero
  return true;
#else
  (void)digits;
  (void)decimals;
  (void)stored;
  (void)scaled;
  return false;
#endif
}

// `number` times `stored` (a StoredSetting) into `result`, rounded once,
// half away from zero, to four decimals. This keeps every decimal a large
// coordinate is written with, where a 32-bit product rounded to 7
// significant digits drops them from 1000 up. False where the setting or
// the result leaves 64 bits, or where the compiler has no 128-bit integers.
inline bool ProductToFourDecimals(const WrittenNumber& number, const FixedNumber& stored, FixedNumber& result) {
#ifdef __SIZEOF_INT128__
  __extension__ using Unsigned128 = unsigned __int128;
  // (digits x 10^-decimals) x (stored x 10^-10), taken to 10^-4.
  const int shift = number.decimals + 10 - 4;
  if (!stored.fits || shift > 38) return false;
  std::uint64_t narrow = 0;
  Unsigned128 scaled = 0;
  if (NarrowProductToFourDecimals(number.digits, number.decimals, stored.scaled, narrow)) {
    scaled = narrow;  // mostly: a 64-bit product, one 64-bit division
  } else {
    const Unsigned128 product = static_cast<Unsigned128>(number.digits) * stored.scaled;
    Unsigned128 unit = 1;
    for (int i = 0; i < shift; ++i) unit *= 10;
    const Unsigned128 remainder = product % unit;
    scaled = product / unit + (remainder >= unit - remainder ? 1 : 0);
  }
  if (scaled > UINT64_MAX) return false;
  result.negative = number.negative != stored.negative;
  result.scaled = static_cast<std::uint64_t>(scaled);
  result.decimals = 4;
  result.fits = true;
  result.source = {result.negative, result.scaled, -4};
  return true;
#else
  (void)number;
  (void)stored;
  (void)result;
  return false;
#endif
}

}  // namespace kivrel
