#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "common/ascii.h"
#include "numbers/decimal_product.h"
#include "numbers/eight_digits.h"
#include "numbers/fixed_text.h"
#include "numbers/powers_of_ten.h"
#include "numbers/round_single.h"
#include "transform/rewrite/rewrite_number.h"
#include "transform/scan/word_characters.h"

namespace kivrel {

// Most words of a program take this way: their number is read eight digits
// at a time, and scaled, rounded and written without the structures the
// general way fills. Each step is the general way's own for this kind of
// number, so both give the same text.
inline char* NumberRewriter::WriteQuick(const char* text, std::size_t position, float scale, float addend, char* out,
                                        QuickWord& word) {
  const char letter = ascii::Upper(text[position]);
  if (letter == 'S') return nullptr;
  const char* const run = text + position + 1;
  const bool negative = run[0] == '-';
  std::size_t i = negative || run[0] == '+' ? 1 : 0;
  const DigitBlock whole = EightDigits(run + i);
  if (whole.count == 8) return nullptr;
  i += whole.count;
  std::uint64_t mantissa = whole.value;
  unsigned decimals = 0;
  if (run[i] == '.') {
    const DigitBlock fraction = EightDigits(run + i + 1);
    if (fraction.count == 8) return nullptr;
    mantissa = mantissa * kPowersOfTen[fraction.count] + fraction.value;
    decimals = fraction.count;
    i += 1 + fraction.count;
  }
  // Digits, and nothing more in the run: blanks after the number may be
  // followed by no further number character.
  if (whole.count + decimals == 0 || word_characters::RunEnd(run, i) != i) return nullptr;

  // As the general way reads, scales and rounds it.
  double read = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  if (negative) read = -read;
  const float product = static_cast<float>(read) * scale;
  if (std::isinf(product)) return nullptr;
  bool negative_result = false;
  std::uint64_t scaled = 0;
  if (std::fabs(product) >= 1000.0f) {
    const FixedNumber& stored = Stored(letter, scale);
    if (!stored.fits || !NarrowProductToFourDecimals(mantissa, static_cast<int>(decimals), stored.scaled, scaled)) {
      return nullptr;
    }
    negative_result = negative != stored.negative;
  } else if (std::fabs(product) >= kSmallestShortSingle) {
    negative_result = std::signbit(product);
    scaled = SingleToFourDecimals(product);
  } else {
    const FixedNumber number = ToPattern(RoundSingle(product), Pattern::FourDecimals);
    if (!number.fits) return nullptr;
    negative_result = number.negative;
    scaled = number.scaled;
  }
  if (addend != 0 && !OffsetByWhole(negative_result, scaled, addend)) return nullptr;
  if (scaled > UINT32_MAX || (letter == 'F' && feed_scale_ != 0 && scaled == 0)) return nullptr;
  word = {position + 1 + i, mantissa, static_cast<int>(decimals), negative, scaled, negative_result};
  return WriteFourDecimals(out, negative_result, static_cast<std::uint32_t>(scaled));
}

}  // namespace kivrel
