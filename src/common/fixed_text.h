#pragma once

#include <string>

namespace kivrel {

// The fixed patterns numbers are written in: "0." (a whole number followed
// by a point) and "0.0000", "0.0000000", "0.0000000000" (that many decimals).
enum class Pattern { Whole = 0, FourDecimals = 4, SevenDecimals = 7, TenDecimals = 10 };

// A number rounded to a count of significant decimal digits, half away from
// zero: negative, then the digits d0 d1 ... meaning d0.d1... x 10^exponent.
struct Decimal {
  bool negative = false;
  int exponent = 0;
  int count = 1;
  char digits[17] = {'0'};
};

// `value` rounded to `significant` (1 to 16) decimal digits, half away from
// zero on its exact binary value. Throws a Failure for an infinity or NaN.
Decimal RoundSignificant(double value, int significant);

// Appends `value` in `pattern`: rounded half away from zero, "-" for
// negatives, at least one digit before the point, "." always the point,
// no separators or blanks, and never a negative zero.
void AppendFixed(std::string& out, const Decimal& value, Pattern pattern);

// A 64-bit value is first taken to 15 significant digits.
void AppendFixedText(std::string& out, double value, Pattern pattern);
std::string FixedText(double value, Pattern pattern);

// A 32-bit value (a setting or a scaled word) is first taken to 7 significant
// digits, so the float nearest 25.4 is written 25.4000000000.
void AppendSingle(std::string& out, float value, Pattern pattern);
std::string RenderSingle(float value, Pattern pattern);

}  // namespace kivrel
