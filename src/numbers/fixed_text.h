#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "numbers/powers_of_ten.h"

namespace kivrel {

// The fixed patterns numbers are written in: "0." (a whole number followed
// by a point) and "0.0000", "0.0000000", "0.0000000000" (that many decimals).
enum class Pattern { Whole = 0, FourDecimals = 4, SevenDecimals = 7, TenDecimals = 10 };

// A decimal number: significand x 10^exponent, with its sign apart.
struct Decimal {
  bool negative = false;
  std::uint64_t significand = 0;
  int exponent = 0;
};

// `value` rounded to `significant` (1 to 16) decimal digits, half away from
// zero on its exact binary value. Throws a Failure for an infinity or NaN.
Decimal RoundSignificant(double value, int significant);

// A decimal rounded, half away from zero, to the decimals of a pattern.
struct FixedNumber {
  Decimal source;
  int decimals = 0;
  bool negative = false;
  bool fits = true;          // `scaled` holds the rounded number
  std::uint64_t scaled = 0;  // the rounded number x 10^decimals

  bool IsZero() const { return fits && scaled == 0; }
  // The number that the written text stands for, as a double.
  double Value() const;
};

// `value` rounded, half away from zero, to `decimals` decimals (0 to 19).
inline FixedNumber ToDecimals(const Decimal& value, int decimals) {
  // The largest significand that a shift by 10^n leaves within 64 bits.
  static constexpr auto kLargest = [] {
    struct Table {
      std::uint64_t limit[20];
    } table{};
    for (int n = 0; n < 20; ++n) table.limit[n] = UINT64_MAX / kPowersOfTen[n];
    return table;
  }();
  FixedNumber number;
  number.source = value;
  number.decimals = decimals;
  number.negative = value.negative;
  const int shift = value.exponent + number.decimals;
  if (shift >= 0) {
    number.fits = shift <= 19 && value.significand <= kLargest.limit[shift];
    if (number.fits) number.scaled = value.significand * kPowersOfTen[shift];
  } else if (-shift > 19) {
    number.scaled = 0;  // below half of the last place
  } else {
    const std::uint64_t unit = kPowersOfTen[-shift];
    number.scaled = value.significand / unit;
    const std::uint64_t remainder = value.significand % unit;
    if (remainder >= unit - remainder) ++number.scaled;  // half away from zero
  }
  return number;
}

inline FixedNumber ToPattern(const Decimal& value, Pattern pattern) {
  return ToDecimals(value, static_cast<int>(pattern));
}

// Appends the number: "-" for negatives, at least one digit before the
// point, "." always the point, no separators or blanks, never a negative zero.
void AppendFixed(std::string& out, const FixedNumber& number);

// The room WriteFixed needs for a number that fits.
inline constexpr std::size_t kMaxFixedText = 32;

// "00" to "99", for writing two digits at a time.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `whole` forwards at `out`, without leading zeros.
inline char* WriteWhole(char* out, std::uint32_t whole) {
  // Most whole parts in a program, scaled or not, have one to four digits.
  if (whole < 10) {
    *out = static_cast<char>('0' + whole);
    return out + 1;
  }
  if (whole < 10000) {
    const std::uint32_t high = whole / 100;
    if (high >= 10) {
      std::memcpy(out, kDigitPairs + high * 2, 2);
      out += 2;
    } else if (high > 0) {
      *out++ = static_cast<char>('0' + high);
    }
    std::memcpy(out, kDigitPairs + (whole % 100) * 2, 2);
    return out + 2;
  }
  // The number of digits from the bit width (1233 / 4096 is just above
  // log10(2)); 0 has one digit.
  const int estimate = static_cast<int>((std::bit_width(whole | 1u) * 1233) >> 12);
  const int digits = estimate + 1 - ((whole | 1u) < kPowersOfTen[estimate] ? 1 : 0);
  char* const end = out + digits;
  char* p = end;
  while (whole >= 100) {
    const std::size_t pair = static_cast<std::size_t>(whole % 100) * 2;
    whole /= 100;
    p -= 2;
    std::memcpy(p, kDigitPairs + pair, 2);
  }
  if (whole >= 10) {
    std::memcpy(p - 2, kDigitPairs + whole * 2, 2);
  } else {
    p[-1] = static_cast<char>('0' + whole);
  }
  return end;
}

// Any number but the sign, written from its last digit on.
char* WriteFixedBackwards(char* out, const FixedNumber& number);

// A number with four decimals whose digits fit 32 bits (every rewritten
// word): `scaled` x 10^-4, written forwards at `out`; returns its end.
inline char* WriteFourDecimals(char* out, bool negative, std::uint32_t scaled) {
  if (negative && scaled != 0) *out++ = '-';
  const std::uint32_t decimals = scaled % 10000;
  out = WriteWhole(out, scaled / 10000);
  *out = '.';
  std::memcpy(out + 1, kDigitPairs + (decimals / 100) * 2, 2);
  std::memcpy(out + 3, kDigitPairs + (decimals % 100) * 2, 2);
  return out + 5;
}

// The text of AppendFixed written at `out`, which has room for
// kMaxFixedText characters when the number fits; returns its end. A number
// with four decimals that fits 32 bits is written forwards, any other
// backwards.
inline char* WriteFixed(char* out, const FixedNumber& number) {
  if (number.decimals == 4 && number.scaled <= UINT32_MAX) {
    return WriteFourDecimals(out, number.negative, static_cast<std::uint32_t>(number.scaled));
  }
  if (number.negative && number.scaled != 0) *out++ = '-';
  return WriteFixedBackwards(out, number);
}

// A 32-bit value (a setting or a scaled word) is first taken to 7 significant
// digits, so the float nearest 25.4 is written 25.4000000000.
void AppendSingle(std::string& out, float value, Pattern pattern);
std::string RenderSingle(float value, Pattern pattern);

}  // namespace kivrel
