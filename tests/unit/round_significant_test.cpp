// The fast integer rounding against a plain reference: the exact decimal
// expansion of the value, rounded half away from zero digit by digit.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

#include "numbers/fixed_text.h"
#include "numbers/round_single.h"

namespace kivrel {
namespace {

// The value's significand and exponent at `significant` digits, normalised
// so that the significand has no trailing zero.
std::pair<std::uint64_t, int> Reference(double value, int significant) {
  char text[1200];
  auto end = std::to_chars(text, text + sizeof(text), std::fabs(value), std::chars_format::scientific, 1000).ptr;
  *end = '\0';
  std::string digits(1, text[0]);
  digits.append(text + 2, text + 1002);  // exact: no double has more digits
  const int exponent = static_cast<int>(std::strtol(std::strchr(text, 'e') + 1, nullptr, 10));
  std::uint64_t significand = 0;
  for (int i = 0; i < significant; ++i) significand = significand * 10 + static_cast<std::uint64_t>(digits[i] - '0');
  if (digits[static_cast<std::size_t>(significant)] >= '5') ++significand;
  int scale = exponent - (significant - 1);
  while (significand != 0 && significand % 10 == 0) {
    significand /= 10;
    ++scale;
  }
  return {significand, scale};
}

std::pair<std::uint64_t, int> Normalised(Decimal d) {
  while (d.significand != 0 && d.significand % 10 == 0) {
    d.significand /= 10;
    ++d.exponent;
  }
  return {d.significand, d.exponent};
}

// What the fast rounding of `value` gets wrong, or nothing; the loops stop
// at the first value it gets wrong.
std::string Mismatch(double value, int significant) {
  const Decimal fast = RoundSignificant(value, significant);
  const auto [significand, exponent] = Reference(value, significant);
  if (Normalised(fast) == std::pair{significand, exponent} && fast.negative == (value < 0)) return "";
  std::ostringstream out;
  out << std::setprecision(17) << "value " << value << " at " << significant << " digits: " << (fast.negative ? "-" : "")
      << fast.significand << "e" << fast.exponent << ", not " << (value < 0 ? "-" : "") << significand << "e"
      << exponent;
  return out.str();
}

TEST(RoundSignificant, MatchesTheExactReference) {
  std::mt19937_64 random(20261207);
  std::uniform_int_distribution<int> exponent(-30, 45);
  for (int i = 0; i < 200000; ++i) {
    // Random floats across the whole range the program meets, and around
    // the edges of the fast range.
    const float mantissa = std::uniform_real_distribution<float>(1.0f, 10.0f)(random);
    const float single = mantissa * std::pow(10.0f, static_cast<float>(exponent(random) % 38));
    ASSERT_EQ(Mismatch(i % 2 == 0 ? single : -single, 7), "");
    const double wide = std::uniform_real_distribution<double>(1.0, 10.0)(random) *
                        std::pow(10.0, exponent(random));
    ASSERT_EQ(Mismatch(wide, 15), "");
    ASSERT_EQ(Mismatch(wide, 7), "");
  }
}

TEST(RoundSignificant, ExactTiesGoAwayFromZero) {
  std::mt19937_64 random(7);
  // n / 2^m has a short exact decimal expansion, so many of these are ties.
  for (int i = 0; i < 200000; ++i) {
    const double n = static_cast<double>(random() % (1u << 24));
    const double value = std::ldexp(n, -static_cast<int>(random() % 12));
    if (value == 0) continue;
    ASSERT_EQ(Mismatch(value, 7), "");
    ASSERT_EQ(Mismatch(-value, 7), "");
    ASSERT_EQ(Mismatch(value * 1e6, 15), "");
  }
  for (double edge : {1e-5, 1e12, 9.9999995, 0.99999995, 999999.95, 1024.0625, 100.03125}) {
    ASSERT_EQ(Mismatch(edge, 7), "");
    ASSERT_EQ(Mismatch(std::nextafter(edge, 0.0), 7), "");
    ASSERT_EQ(Mismatch(std::nextafter(edge, 1e300), 7), "");
  }
}

// The short way for 32-bit values must give exactly what the general
// rounding gives, digit for digit and in the same form: what it gets wrong,
// or nothing.
std::string SingleMismatch(float value) {
  const Decimal general = RoundSignificant(static_cast<double>(value), 7);
  const Decimal single = RoundSingle(value);
  if (single.significand == general.significand && single.exponent == general.exponent &&
      single.negative == general.negative) {
    return "";
  }
  std::ostringstream out;
  out << std::setprecision(9) << "value " << value << ": " << (single.negative ? "-" : "") << single.significand << "e"
      << single.exponent << ", not " << (general.negative ? "-" : "") << general.significand << "e" << general.exponent;
  return out.str();
}

TEST(RoundSingle, AgreesWithTheGeneralRounding) {
  std::mt19937 random(1207);
  for (int i = 0; i < 1000000; ++i) {
    // Any bit pattern but infinities and NaNs, which the general rounding refuses.
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    ASSERT_EQ(SingleMismatch(value), "");
  }
  // Every float next to the edges of the short way and to the powers of ten
  // where the seventh digit moves, and a run of exact ties.
  for (float edge : {std::ldexp(1.0f, -16), std::ldexp(1.0f, 38), std::ldexp(1.0f, 23), std::ldexp(1.0f, 24),
                     1e-5f, 1e-4f, 1e-3f, 0.01f, 0.1f, 1.0f, 10.0f, 100.0f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f,
                     1e8f, 1e9f, 1e10f, 1e11f, 9999999.5f, 1024.0625f}) {
    float below = edge;
    float above = edge;
    for (int step = 0; step < 2000; ++step) {
      ASSERT_EQ(SingleMismatch(below), "");
      ASSERT_EQ(SingleMismatch(-above), "");
      below = std::nextafter(below, 0.0f);
      above = std::nextafter(above, 1e30f);
    }
  }
  for (std::uint32_t n = 1; n < 200000; ++n) ASSERT_EQ(SingleMismatch(std::ldexp(static_cast<float>(n), -4)), "");
}

}  // namespace
}  // namespace kivrel
