// Offsetting a rewritten number by a feed or spindle addend: the short way
// for whole addends against the rounding chain it stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

#include "numbers/fixed_text.h"
#include "transform/rewrite/rewrite_number.h"

namespace kivrel {
namespace {

FixedNumber Chain(const FixedNumber& number, float addend) {
  return ToPattern(RoundSignificant(number.Value() + static_cast<double>(addend), 15), Pattern::FourDecimals);
}

// Where the short way parts from the chain for `number` + `addend`, or
// nothing; the loops stop at the first.
std::string Mismatch(const FixedNumber& number, float addend) {
  const FixedNumber offset = OffsetNumber(number, addend);
  const FixedNumber chain = Chain(number, addend);
  char a[kMaxFixedText];
  char b[kMaxFixedText];
  const std::string written(a, WriteFixed(a, offset));
  const std::string expected(b, WriteFixed(b, chain));
  // The sign of a zero is not written, nor read back.
  if (offset.scaled == chain.scaled && offset.fits == chain.fits &&
      (chain.scaled == 0 || offset.negative == chain.negative) && written == expected) {
    return "";
  }
  std::ostringstream out;
  out << std::setprecision(9) << (number.negative ? "-" : "") << number.scaled << " (four decimals) + " << addend
      << ": " << written << (offset.fits ? "" : " (does not fit)") << ", not " << expected
      << (chain.fits ? "" : " (does not fit)");
  return out.str();
}

FixedNumber FourDecimals(std::uint64_t scaled, bool negative) {
  Decimal decimal;
  decimal.negative = negative;
  decimal.significand = scaled;
  decimal.exponent = -4;
  return ToPattern(decimal, Pattern::FourDecimals);
}

TEST(OffsetNumber, AgreesWithTheRoundingChain) {
  std::mt19937_64 random(99);
  for (int i = 0; i < 500000; ++i) {
    // Numbers of every size up to where the short way stops and a little
    // beyond, whole and fractional addends, and sums that cancel.
    const int bits = static_cast<int>(random() % 60) + 1;
    const std::uint64_t scaled = random() & ((std::uint64_t{1} << bits) - 1);
    const bool negative = random() % 2 == 0;
    float addend = 0;
    switch (random() % 4) {
      case 0:
        addend = static_cast<float>(static_cast<std::int64_t>(random() % 2001) - 1000);
        break;
      case 1:
        addend = static_cast<float>(static_cast<std::int64_t>(random() % 33554432) - 16777216);
        break;
      case 2:
        addend = std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(random);
        break;
      default:
        addend = (negative ? 1.0f : -1.0f) * static_cast<float>(scaled / 10000);  // NOLINT(bugprone-integer-division): the whole part, on purpose
        break;
    }
    if (addend == 0) continue;
    ASSERT_EQ(Mismatch(FourDecimals(scaled, negative), addend), "");
  }
  for (float addend : {10.0f, -10.0f, 1000.0f, 16777215.0f, -16777215.0f, 16777216.0f, 0.5f, 1e9f}) {
    for (std::uint64_t scaled : {0ull, 1ull, 99999ull, 100000ull, 1099511627775ull, 1099511627776ull,
                                 167772150000ull, 167772160000ull}) {
      ASSERT_EQ(Mismatch(FourDecimals(scaled, false), addend), "");
      ASSERT_EQ(Mismatch(FourDecimals(scaled, true), addend), "");
    }
  }
}

}  // namespace
}  // namespace kivrel
