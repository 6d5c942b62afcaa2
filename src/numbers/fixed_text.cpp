#include "numbers/fixed_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "common/failure.h"
#include "numbers/binary_rounding.h"
#include "numbers/leading_number.h"
#include "numbers/powers_of_ten.h"
#include "numbers/round_single.h"

namespace kivrel {

namespace {

// Most values lie in this range; they are rounded with integer arithmetic.
constexpr double kFastLow = 1e-5;
constexpr double kFastHigh = 1e12;

// The exact value m x 2^e scaled by 10^s and rounded, half away from zero,
// to a whole number: the digits, once it has `significant` of them.
void RoundFast(double magnitude, int significant, Decimal& result) {
  // magnitude = mantissa x 2^e, from the bits of a normal double.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
  const int binary_exponent = static_cast<int>(bits >> 52) - 1022;  // magnitude < 2^binary_exponent
  std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  int e = binary_exponent - 53;
  const int zeros = std::countr_zero(mantissa);
  mantissa >>= zeros;
  e += zeros;
  const int k = std::clamp(binary_rounding::Log10Guess(binary_exponent), -5, 11);  // the range of the fast path
  binary_rounding::Round<false>(mantissa, e, k, significant, result);
}

// Any other finite value: 60 significant digits of it, from which no double
// lies so close to a rounding midpoint that it would look like one.
void RoundSlow(double magnitude, int significant, Decimal& result) {
  char text[96];
  auto [end, error] =
      std::to_chars(text, text + sizeof(text), magnitude, std::chars_format::scientific, 59);
  (void)error;
  char digits[60];
  digits[0] = text[0];
  for (int i = 1; i < 60; ++i) digits[i] = text[i + 1];
  const char* e = text + 61;  // "e+NN"
  int exponent = 0;
  std::from_chars(e + 2, end, exponent);
  if (e[1] == '-') exponent = -exponent;

  std::uint64_t significand = 0;
  for (int i = 0; i < significant; ++i) significand = significand * 10 + static_cast<std::uint64_t>(digits[i] - '0');
  if (digits[significant] >= '5') ++significand;
  result.significand = significand;
  result.exponent = exponent - (significant - 1);
}

}  // namespace

Decimal RoundSignificant(double value, int significant) {
  if (!std::isfinite(value)) {
    throw Failure(std::errc::result_out_of_range, "number out of range");
  }
  Decimal result;
  if (value == 0) return result;
  result.negative = value < 0;
  const double magnitude = std::fabs(value);
  if (magnitude >= kFastLow && magnitude < kFastHigh && significant <= 15) {
    RoundFast(magnitude, significant, result);
  } else {
    RoundSlow(magnitude, significant, result);
  }
  return result;
}

// Writes `rest` with `decimals` decimals backwards, ending before `p`; the
// word size is a template parameter, as 32-bit division is the cheaper.
template <typename Whole>
char* WriteBackwards(char* p, Whole rest, int decimals) {
  for (; decimals >= 2; decimals -= 2) {
    const std::size_t pair = static_cast<std::size_t>(rest % 100) * 2;
    rest /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (decimals == 1) {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  *--p = '.';
  while (rest >= 100) {
    const std::size_t pair = static_cast<std::size_t>(rest % 100) * 2;
    rest /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (rest >= 10) {
    *--p = kDigitPairs[rest * 2 + 1];
    *--p = kDigitPairs[rest * 2];
  } else {
    *--p = static_cast<char>('0' + rest);
  }
  return p;
}

char* WriteFixedBackwards(char* out, const FixedNumber& number) {
  // From the last digit backwards into a scratch area: the decimals, the
  // point, then at least one digit before it.
  char text[kMaxFixedText];
  char* const end = text + sizeof(text);
  const char* p = number.scaled <= UINT32_MAX
                      ? WriteBackwards(end, static_cast<std::uint32_t>(number.scaled), number.decimals)
                      : WriteBackwards(end, number.scaled, number.decimals);
  const std::size_t length = static_cast<std::size_t>(end - p);
  std::memcpy(out, p, length);
  return out + length;
}

void AppendFixed(std::string& out, const FixedNumber& number) {
  const int decimals = number.decimals;
  if (number.fits) {
    char text[kMaxFixedText];
    out.append(text, static_cast<std::size_t>(WriteFixed(text, number) - text));
    return;
  }
  // A number too large for 64 bits at this many decimals. It carries no
  // more decimals than the pattern (else it would have been rounded, and
  // fit): its digits, with the point put in or zeros added.
  if (number.negative) out += '-';
  char digits[24];
  const char* last = std::to_chars(digits, digits + sizeof(digits), number.source.significand).ptr;
  const int length = static_cast<int>(last - digits);
  const int exponent = number.source.exponent;
  const int whole = exponent >= 0 ? length : length + exponent;
  out.append(digits, static_cast<std::size_t>(whole));
  if (exponent > 0) out.append(static_cast<std::size_t>(exponent), '0');
  out += '.';
  out.append(digits + whole, static_cast<std::size_t>(length - whole));
  out.append(static_cast<std::size_t>(decimals - (length - whole)), '0');
}

double FixedNumber::Value() const {
  if (fits && scaled < (std::uint64_t{1} << 53) && decimals <= 22) {
    // Both exact: the one division rounds as reading the text would.
    const double value = static_cast<double>(scaled) / kExactPowersOfTen[decimals];
    return negative && scaled != 0 ? -value : value;
  }
  std::string text;
  AppendFixed(text, *this);
  return LeadingNumber(text);
}

void AppendSingle(std::string& out, float value, Pattern pattern) {
  AppendFixed(out, ToPattern(RoundSingle(value), pattern));
}

std::string RenderSingle(float value, Pattern pattern) {
  std::string out;
  AppendSingle(out, value, pattern);
  return out;
}

}  // namespace kivrel
