#include "numbers/leading_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "numbers/eight_digits.h"

namespace kivrel {
namespace {

struct Case {
  const char* text;
  double value;
};

class LeadingNumberTest : public ::testing::TestWithParam<Case> {};

TEST_P(LeadingNumberTest, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(LeadingNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    ::testing::Values(Case{"12", 12}, Case{"-2.5", -2.5}, Case{"+7", 7}, Case{".5", 0.5},
                      Case{"-.5", -0.5}, Case{"1.", 1},
                      // blanks, tabs and line feeds anywhere are ignored
                      Case{"  1 2", 12}, Case{"- 5", -5}, Case{"1 . 5", 1.5}, Case{"\t3\n4", 34},
                      // exponents with E or D in either case
                      Case{"1E2", 100}, Case{"1e-2", 0.01}, Case{"2D3", 2000}, Case{"2d+1", 20},
                      Case{"1E", 1}, Case{"1E+", 1}, Case{"3EX", 3},
                      // a second point ends the number
                      Case{"1.2.3", 1.2}, Case{"--1", 0}, Case{"+.", 0},
                      // no digits
                      Case{"", 0}, Case{".", 0}, Case{"X1", 0}, Case{"-", 0}, Case{" ", 0},
                      // hexadecimal and octal whole numbers
                      Case{"&H1F", 31}, Case{"&hff", 255}, Case{"&O17", 15}, Case{"&o8", 0},
                      Case{"&X12", 0},
                      // trailing text is ignored
                      Case{"12abc", 12}, Case{"1,5", 1}, Case{"100.0000E2", 10000}));

TEST(LeadingNumber, VeryLargeAndVerySmallNumbers) {
  EXPECT_TRUE(std::isinf(LeadingNumber("1e400")));
  EXPECT_LT(LeadingNumber("-1e400"), 0);
  EXPECT_EQ(LeadingNumber("1e-400"), 0);
  EXPECT_EQ(LeadingNumber("0.000001e-330"), 0);
  EXPECT_TRUE(std::isinf(LeadingNumber("1000000e305")));
  EXPECT_DOUBLE_EQ(LeadingNumber("1e39"), 1e39);
}

TEST(LeadingNumber, LongDigitRunsAreReadExactly) {
  std::string digits(200, '1');
  EXPECT_DOUBLE_EQ(LeadingNumber(digits), std::stod(digits));
  EXPECT_DOUBLE_EQ(LeadingNumber("0." + std::string(150, '0') + "5"), 5e-151);
}

// Eight bytes read at once, with any byte at any place after digits: the
// digits that lead and their number, as one byte at a time finds them.
TEST(EightDigits, EveryByteAtEveryPlace) {
  for (int place = 0; place < 8; ++place) {
    for (int byte = 0; byte < 256; ++byte) {
      char text[8] = {'9', '8', '7', '6', '5', '4', '3', '2'};
      text[place] = static_cast<char>(byte);
      unsigned count = 0;
      std::uint32_t value = 0;
      for (; count < 8 && text[count] >= '0' && text[count] <= '9'; ++count) value = value * 10 + (text[count] - '0');
      const DigitBlock block = EightDigits(text);
      ASSERT_EQ(block.count, count) << "byte " << byte << " at " << place;
      ASSERT_EQ(block.value, value) << "byte " << byte << " at " << place;
    }
  }
}

}  // namespace
}  // namespace kivrel
