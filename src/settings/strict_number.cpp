#include "settings/strict_number.h"

#include <charconv>
#include <cfloat>
#include <cmath>

#include "common/ascii.h"

namespace kivrel {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && ascii::IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && ascii::IsBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// True for a number whose digits before any exponent are all zeros.
bool IsZero(std::string_view number) {
  const std::string_view digits = number.substr(0, number.find_first_of("eE"));
  return digits.find_first_of("123456789") == std::string_view::npos;
}

std::optional<bool> TrueOrFalse(std::string_view word) {
  if (ascii::EqualIgnoringCase(word, "true")) return true;
  if (ascii::EqualIgnoringCase(word, "false")) return false;
  return std::nullopt;
}

}  // namespace

std::optional<float> StrictNumber(std::string_view line) {
  std::string_view text = Trim(line);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would also take "inf" and "nan"; a number starts with a digit
  // or a point.
  if (text.empty() || !(ascii::IsDigit(static_cast<unsigned char>(text.front())) || text.front() == '.')) {
    return std::nullopt;
  }
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::general);
  if (end != text.data() + text.size()) return std::nullopt;
  if (IsZero(text)) return negative ? -0.0f : 0.0f;
  // Beyond the 64-bit range, too large or too small.
  if (error != std::errc()) return std::nullopt;
  // Beyond the 32-bit range: too large, or so small that it would be held
  // as 0 (and scale an axis away) or without its digits (subnormal).
  if (std::fabs(value) > FLT_MAX) return std::nullopt;
  const float single = static_cast<float>(value);
  if (!std::isnormal(single)) return std::nullopt;
  return negative ? -single : single;
}

std::optional<bool> StrictWordTruth(std::string_view line) { return TrueOrFalse(Trim(line)); }

std::optional<bool> StrictTruth(std::string_view line) {
  if (std::optional<bool> word = TrueOrFalse(line)) return word;
  std::optional<float> number = StrictNumber(line);
  if (!number) return std::nullopt;
  return *number == -1.0f;
}

}  // namespace kivrel
