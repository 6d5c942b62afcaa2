#include "numbers/fixed_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "common/failure.h"

namespace kivrel {
namespace {

// A 64-bit value taken to 15 significant digits first, then to the pattern.
std::string FixedText(double value, Pattern pattern) {
  std::string out;
  AppendFixed(out, ToPattern(RoundSignificant(value, 15), pattern));
  return out;
}

struct DoubleCase {
  double value;
  Pattern pattern;
  std::string text;
};

class FixedTextTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(FixedTextTest, WritesThePattern) {
  EXPECT_EQ(FixedText(GetParam().value, GetParam().pattern), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedTextTest,
    ::testing::Values(
        DoubleCase{3, Pattern::FourDecimals, "3.0000"}, DoubleCase{0.5, Pattern::FourDecimals, "0.5000"},
        DoubleCase{-2, Pattern::FourDecimals, "-2.0000"}, DoubleCase{160, Pattern::FourDecimals, "160.0000"},
        DoubleCase{0, Pattern::FourDecimals, "0.0000"},
        // half away from zero
        DoubleCase{0.00005, Pattern::FourDecimals, "0.0001"}, DoubleCase{-0.00005, Pattern::FourDecimals, "-0.0001"},
        DoubleCase{1.00005, Pattern::FourDecimals, "1.0001"}, DoubleCase{2.5, Pattern::Whole, "3."},
        DoubleCase{-2.5, Pattern::Whole, "-3."}, DoubleCase{0.49999, Pattern::Whole, "0."},
        DoubleCase{13000, Pattern::Whole, "13000."}, DoubleCase{1000.6, Pattern::Whole, "1001."},
        DoubleCase{9.99995, Pattern::FourDecimals, "10.0000"}, DoubleCase{999.5, Pattern::Whole, "1000."},
        // no negative zero
        DoubleCase{-0.00004, Pattern::FourDecimals, "0.0000"}, DoubleCase{-0.0, Pattern::Whole, "0."},
        DoubleCase{-0.4, Pattern::Whole, "0."},
        // 15 significant digits first: the double nearest 0.1 + 0.2 is 0.30000000000000004
        DoubleCase{0.1 + 0.2, Pattern::TenDecimals, "0.3000000000"},
        DoubleCase{1e20, Pattern::FourDecimals, "100000000000000000000.0000"},
        DoubleCase{-123456789012.345, Pattern::TenDecimals, "-123456789012.3450000000"},
        DoubleCase{1.5e300, Pattern::Whole, "15" + std::string(299, '0') + "."},
        DoubleCase{0.0393701, Pattern::SevenDecimals, "0.0393701"},
        DoubleCase{123456789.123456789, Pattern::FourDecimals, "123456789.1235"}));

struct SingleCase {
  float value;
  Pattern pattern;
  const char* text;
};

class RenderSingleTest : public ::testing::TestWithParam<SingleCase> {};

TEST_P(RenderSingleTest, TakesSevenDigitsFirst) {
  EXPECT_EQ(RenderSingle(GetParam().value, GetParam().pattern), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RenderSingleTest,
    ::testing::Values(SingleCase{25.4f, Pattern::TenDecimals, "25.4000000000"},
                      SingleCase{25.4f, Pattern::SevenDecimals, "25.4000000"},
                      SingleCase{1 / 25.4f, Pattern::SevenDecimals, "0.0393701"},
                      SingleCase{1 / 25.4f, Pattern::TenDecimals, "0.0393700800"},
                      SingleCase{0.1f, Pattern::TenDecimals, "0.1000000000"},
                      SingleCase{1.0f / 3, Pattern::TenDecimals, "0.3333333000"},
                      SingleCase{12345.6789f, Pattern::FourDecimals, "12345.6800"},
                      SingleCase{123.456789f, Pattern::FourDecimals, "123.4568"},
                      SingleCase{0.00001234567f, Pattern::TenDecimals, "0.0000123457"},
                      // exact ties at the seventh digit go away from zero
                      SingleCase{1024.0625f, Pattern::FourDecimals, "1024.0630"},
                      SingleCase{100.03125f, Pattern::FourDecimals, "100.0313"},
                      SingleCase{-1024.0625f, Pattern::FourDecimals, "-1024.0630"},
                      SingleCase{1500.6f, Pattern::Whole, "1501."},
                      SingleCase{1199.6f, Pattern::Whole, "1200."},
                      SingleCase{-5, Pattern::Whole, "-5."}, SingleCase{0, Pattern::Whole, "0."},
                      SingleCase{-0.00001f, Pattern::FourDecimals, "0.0000"},
                      SingleCase{FLT_MAX, Pattern::Whole, "340282300000000000000000000000000000000."}));

TEST(RoundSignificant, CarriesIntoANewDigit) {
  for (double value : {9999999.5, 9999999500000.0}) {  // both exact in binary
    Decimal d = RoundSignificant(value, 7);
    EXPECT_EQ(static_cast<double>(d.significand) * std::pow(10.0, d.exponent),
              std::pow(10.0, std::ceil(std::log10(value))))
        << value;
  }
}

TEST(RoundSignificant, RefusesInfinity) {
  EXPECT_THROW(RoundSignificant(1.0 / 0.0, 7), Failure);
}


// The writer against the plain way of writing a scaled number: its digits,
// padded with zeros, the point put in front of the last `decimals`.
std::string PlainFixed(const FixedNumber& number) {
  std::string digits = std::to_string(number.scaled);
  if (digits.size() <= static_cast<std::size_t>(number.decimals)) {
    digits.insert(0, static_cast<std::size_t>(number.decimals) + 1 - digits.size(), '0');
  }
  digits.insert(digits.size() - static_cast<std::size_t>(number.decimals), ".");
  return (number.negative && number.scaled != 0 ? "-" : "") + digits;
}

TEST(WriteFixed, WritesEveryScaledNumberAsThePlainWay) {
  std::mt19937_64 random(77);
  for (int i = 0; i < 300000; ++i) {
    FixedNumber number;
    // Small and large numbers alike: a random count of random bits.
    const int bits = static_cast<int>(random() % 64) + 1;
    number.scaled = bits == 64 ? random() : random() & ((std::uint64_t{1} << bits) - 1);
    number.negative = random() % 2 == 0;
    for (Pattern pattern : {Pattern::Whole, Pattern::FourDecimals, Pattern::SevenDecimals, Pattern::TenDecimals}) {
      number.decimals = static_cast<int>(pattern);
      char text[kMaxFixedText];
      const std::string written(text, WriteFixed(text, number));
      ASSERT_EQ(written, PlainFixed(number)) << number.scaled << " with " << number.decimals << " decimals";
    }
  }
  FixedNumber edge;
  edge.decimals = 4;
  for (std::uint64_t scaled : {0ull, 9ull, 10ull, 99999ull, 100000ull, 999999999ull, 4294967295ull, 4294967296ull,
                               18446744073709551615ull}) {
    edge.scaled = scaled;
    char text[kMaxFixedText];
    EXPECT_EQ(std::string(text, WriteFixed(text, edge)), PlainFixed(edge));
  }
}

}  // namespace
}  // namespace kivrel
