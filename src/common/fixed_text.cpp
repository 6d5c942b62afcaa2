#include "common/fixed_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "common/failure.h"

namespace kivrel {

Decimal RoundSignificant(double value, int significant) {
  if (!std::isfinite(value)) {
    throw Failure(static_cast<int>(std::errc::result_out_of_range), "number out of range");
  }
  Decimal result;
  if (value == 0) return result;
  result.negative = value < 0;

  // 60 significant digits of the exact value: no double lies so close to a
  // rounding midpoint that it would look like one at this length.
  char text[96];
  auto [end, error] =
      std::to_chars(text, text + sizeof(text), std::fabs(value), std::chars_format::scientific, 59);
  (void)error;
  char digits[60];
  digits[0] = text[0];
  for (int i = 1; i < 60; ++i) digits[i] = text[i + 1];
  const char* e = text + 61;  // "e+NN"
  int exponent = 0;
  std::from_chars(e + 2, end, exponent);
  if (e[1] == '-') exponent = -exponent;

  bool up = digits[significant] >= '5';
  int i = significant - 1;
  while (up && i >= 0) {
    if (digits[i] == '9') {
      digits[i--] = '0';
    } else {
      ++digits[i];
      up = false;
    }
  }
  if (up) {  // 9.99... became 10.0...
    digits[0] = '1';
    ++exponent;
  }
  int count = significant;
  while (count > 1 && digits[count - 1] == '0') --count;
  for (int k = 0; k < count; ++k) result.digits[k] = digits[k];
  result.count = count;
  result.exponent = exponent;
  return result;
}

void AppendFixed(std::string& out, const Decimal& value, Pattern pattern) {
  const int decimals = static_cast<int>(pattern);
  // The digits of value x 10^decimals, rounded to a whole number.
  char number[360];
  int length = 0;
  const int keep = value.exponent + decimals + 1;
  if (keep <= 0) {
    number[length++] = (keep == 0 && value.digits[0] >= '5') ? '1' : '0';
  } else {
    for (int i = 0; i < keep; ++i) number[length++] = i < value.count ? value.digits[i] : '0';
    if (keep < value.count && value.digits[keep] >= '5') {
      int i = length - 1;
      while (i >= 0 && number[i] == '9') number[i--] = '0';
      if (i >= 0) {
        ++number[i];
      } else {
        for (int k = length; k > 0; --k) number[k] = number[k - 1];
        number[0] = '1';
        ++length;
      }
    }
  }
  if (length <= decimals) {
    int pad = decimals + 1 - length;
    for (int k = length - 1; k >= 0; --k) number[k + pad] = number[k];
    for (int k = 0; k < pad; ++k) number[k] = '0';
    length += pad;
  }
  bool zero = true;
  for (int k = 0; k < length; ++k) zero = zero && number[k] == '0';
  if (value.negative && !zero) out += '-';
  out.append(number, static_cast<std::size_t>(length - decimals));
  out += '.';
  out.append(number + length - decimals, static_cast<std::size_t>(decimals));
}

void AppendFixedText(std::string& out, double value, Pattern pattern) {
  AppendFixed(out, RoundSignificant(value, 15), pattern);
}

std::string FixedText(double value, Pattern pattern) {
  std::string out;
  AppendFixedText(out, value, pattern);
  return out;
}

void AppendSingle(std::string& out, float value, Pattern pattern) {
  AppendFixed(out, RoundSignificant(value, 7), pattern);
}

std::string RenderSingle(float value, Pattern pattern) {
  std::string out;
  AppendSingle(out, value, pattern);
  return out;
}

}  // namespace kivrel
