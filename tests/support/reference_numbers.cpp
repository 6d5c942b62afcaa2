#include "support/reference_numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace kivrel::testing {

double ReferenceLeadingNumber(const std::string& raw) {
  std::string text;
  for (char c : raw) {
    if (c != ' ' && c != '\t' && c != '\n') text += c;
  }
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h' || text[1] == 'O' || text[1] == 'o')) {
    const int base = (text[1] == 'H' || text[1] == 'h') ? 16 : 8;
    double value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) ? std::toupper(c) - 'A' + 10
                                                                                  : 99;
      if (digit >= base) break;
      value = value * base + digit;
    }
    return value;
  }
  std::size_t i = 0;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
  }
  bool point = false;
  int digits = 0;
  for (; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      number += text[i];
      ++digits;
    } else if (text[i] == '.' && !point) {
      number += '.';
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && std::string_view("EeDd").find(text[i]) != std::string_view::npos) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
      while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) exponent += text[j++];
      number += exponent;
    }
  }
  double value = 0;
  const char* begin = number.data() + (number[0] == '-' ? 1 : 0);
  auto result = std::from_chars(begin, number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Decide by the size of the number: huge or tiny.
    const double rough = std::strtod(begin, nullptr);
    value = rough > 1 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return number[0] == '-' ? -value : value;
}

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// The exact value rounded to `significant` digits, half away from zero.
Digits RoundExactly(double value, int significant) {
  Digits result;
  result.negative = value < 0;
  if (value == 0) {
    result.digits = "0";
    return result;
  }
  char text[1100];
  auto end = std::to_chars(text, text + sizeof(text), std::fabs(value), std::chars_format::scientific, 1000).ptr;
  *end = '\0';
  std::string all(1, text[0]);
  all.append(text + 2, text + 1002);
  int exponent = std::atoi(std::strchr(text, 'e') + 1);
  std::string kept = all.substr(0, static_cast<std::size_t>(significant));
  if (all[static_cast<std::size_t>(significant)] >= '5') {
    int k = significant - 1;
    while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
    if (k < 0) {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exponent;
    } else {
      ++kept[static_cast<std::size_t>(k)];
    }
  }
  result.digits = kept;
  result.exponent = exponent;
  return result;
}

// Adds one to the whole number in `digits`, carrying (a rounding up).
void AddOneToLastDigit(std::string& digits) {
  int k = static_cast<int>(digits.size()) - 1;
  while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9') digits[static_cast<std::size_t>(k--)] = '0';
  if (k < 0) {
    digits.insert(digits.begin(), '1');
  } else {
    ++digits[static_cast<std::size_t>(k)];
  }
}

// The decimal written with `decimals` decimals, rounded half away from zero.
std::string WriteFixed(const Digits& number, int decimals) {
  // Spell the number out in plain notation with plenty of decimals.
  std::string whole;
  std::string fraction;
  if (number.digits == "0") {
    whole = "0";
  } else if (number.exponent >= 0) {
    std::string d = number.digits;
    while (static_cast<int>(d.size()) < number.exponent + 1) d += '0';
    whole = d.substr(0, static_cast<std::size_t>(number.exponent + 1));
    fraction = d.substr(static_cast<std::size_t>(number.exponent + 1));
  } else {
    whole = "0";
    fraction = std::string(static_cast<std::size_t>(-number.exponent - 1), '0') + number.digits;
  }
  fraction += std::string(static_cast<std::size_t>(decimals + 1), '0');
  std::string kept = whole + fraction.substr(0, static_cast<std::size_t>(decimals));
  if (fraction[static_cast<std::size_t>(decimals)] >= '5') AddOneToLastDigit(kept);
  std::string integer = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
  while (integer.size() > 1 && integer[0] == '0') integer.erase(0, 1);
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  return (number.negative && !zero ? "-" : "") + integer + "." +
         kept.substr(kept.size() - static_cast<std::size_t>(decimals));
}

double ReadBack(const std::string& text) {
  double value = 0;
  const bool negative = text[0] == '-';
  std::from_chars(text.data() + (negative ? 1 : 0), text.data() + text.size(), value);
  return negative ? -value : value;
}

// The digits of a whole number in text, without leading zeros ("0" for 0).
std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// The whole number in `digits` fits 64 bits.
bool Fits64(const std::string& digits) {
  const std::string number = WithoutLeadingZeros(digits);
  static const std::string kLargest = std::to_string(std::numeric_limits<std::uint64_t>::max());
  return number.size() < kLargest.size() || (number.size() == kLargest.size() && number <= kLargest);
}

// Schoolbook product of two whole numbers in text.
std::string MultiplyDigits(const std::string& a, const std::string& b) {
  std::vector<int> sum(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j) sum[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  }
  for (std::size_t k = sum.size() - 1; k > 0; --k) {
    sum[k - 1] += sum[k] / 10;
    sum[k] %= 10;
  }
  std::string text;
  for (int d : sum) text += static_cast<char>('0' + d);
  return WithoutLeadingZeros(text);
}

// A run read as one number: at most one sign, at its start, at most one
// point, at least one digit, blanks anywhere.
bool WellFormed(const std::string& run) {
  std::string text;
  for (char c : run) {
    if (c != ' ' && c != '\t') text += c;
  }
  std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  const std::string rest = text.substr(i);
  return std::count(rest.begin(), rest.end(), '.') <= 1 && std::any_of(rest.begin(), rest.end(), IsDigitChar) &&
         std::all_of(rest.begin(), rest.end(), [](char c) { return IsDigitChar(c) || c == '.'; });
}

// The run's number times the scale as the parameter file stores it (7
// significant digits, ten decimals), rounded once to four decimals; empty
// where the word has more than 19 digits from its first that is not 0, or
// the stored scale or the result would not fit 64 bits as a whole number of
// their last places.
std::string ExactProduct(const std::string& run, float scale) {
  bool negative = false;
  std::string whole;
  std::string fraction;
  bool point = false;
  for (char c : run) {
    if (c == '-') negative = true;
    if (c == '.') point = true;
    if (IsDigitChar(c)) (point ? fraction : whole) += c;
  }
  const std::string digits = WithoutLeadingZeros(whole + fraction);
  if (digits != "0" && digits.size() > 19) return "";
  if (fraction.size() + 6 > 38) return "";
  const std::string stored = WriteFixed(RoundExactly(scale, 7), 10);
  std::string stored_digits;
  for (char c : stored) {
    if (IsDigitChar(c)) stored_digits += c;
  }
  if (!Fits64(stored_digits)) return "";
  if (stored[0] == '-') negative = !negative;
  // The product has fraction.size() + 10 decimals; four stay.
  std::string product = MultiplyDigits(digits, stored_digits);
  const std::size_t dropped = fraction.size() + 6;
  if (product.size() <= dropped) product.insert(0, dropped - product.size() + 1, '0');
  std::string kept = product.substr(0, product.size() - dropped);
  if (product[product.size() - dropped] >= '5') AddOneToLastDigit(kept);  // half away from zero
  if (!Fits64(kept)) return "";
  kept = WithoutLeadingZeros(kept);
  if (kept.size() < 5) kept.insert(0, 5 - kept.size(), '0');
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  return (negative && !zero ? "-" : "") + kept.substr(0, kept.size() - 4) + "." + kept.substr(kept.size() - 4);
}


}  // namespace kivrel::testing
