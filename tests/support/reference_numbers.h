#pragma once

#include <string>

// The numbers of the plain reference of the line rules: read, rounded and
// written on their exact decimal expansion, for clarity and not for speed.
namespace kivrel::testing {

// A decimal: value = d1.d2d3... x 10^exponent, with its sign apart.
struct Digits {
  bool negative = false;
  std::string digits;  // the first is not 0, unless the number is 0
  int exponent = 0;
};

bool IsDigitChar(char c);

// The value of the number at the start of `text`, read by the plain rules.
double ReferenceLeadingNumber(const std::string& text);

// The exact value rounded to `significant` digits, half away from zero.
Digits RoundExactly(double value, int significant);
// Adds one to the whole number in `digits`, carrying (a rounding up).
void AddOneToLastDigit(std::string& digits);
// The decimal written with `decimals` decimals, rounded half away from zero.
std::string WriteFixed(const Digits& number, int decimals);
// A number written by WriteFixed, read back.
double ReadBack(const std::string& text);
// The digits of a whole number in text, without leading zeros ("0" for 0).
std::string WithoutLeadingZeros(const std::string& digits);
// A run read as one number: at most one sign, at its start, at most one
// point, at least one digit, blanks anywhere.
bool WellFormed(const std::string& run);
// The run's number times the scale as the parameter file stores it, rounded
// once to four decimals; empty where that cannot be told exactly in 64 bits.
std::string ExactProduct(const std::string& run, float scale);

}  // namespace kivrel::testing
