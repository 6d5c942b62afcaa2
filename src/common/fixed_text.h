#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

FixedNumber ToPattern(const Decimal& value, Pattern pattern);

// Appends the number: "-" for negatives, at least one digit before the
// point, "." always the point, no separators or blanks, never a negative zero.
void AppendFixed(std::string& out, const FixedNumber& number);

// The same text written at `out`, which has room for kMaxFixedText
// characters when the number fits; returns the end of the text.
inline constexpr std::size_t kMaxFixedText = 32;
char* WriteFixed(char* out, const FixedNumber& number);

// A 64-bit value is first taken to 15 significant digits.
void AppendFixedText(std::string& out, double value, Pattern pattern);
std::string FixedText(double value, Pattern pattern);

// A 32-bit value (a setting or a scaled word) is first taken to 7 significant
// digits, so the float nearest 25.4 is written 25.4000000000.
void AppendSingle(std::string& out, float value, Pattern pattern);
std::string RenderSingle(float value, Pattern pattern);

}  // namespace kivrel
