#include "transform/rewrite/rewrite_number.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "common/ascii.h"
#include "numbers/fixed_text.h"
#include "numbers/leading_number.h"
#include "numbers/number_run.h"
#include "numbers/plain_number.h"
#include "numbers/round_single.h"
#include "transform/scan/word_characters.h"

namespace kivrel {
namespace {

// The decimals `value` needs, from four to ten.
int DecimalsNeeded(Decimal value) {
  while (value.significand != 0 && value.significand % 10 == 0) {
    value.significand /= 10;
    ++value.exponent;
  }
  return std::clamp(-value.exponent, 4, 10);
}

}  // namespace

FixedNumber OffsetNumber(const FixedNumber& number, float addend) {
  FixedNumber result;
  result.negative = number.negative;
  result.scaled = number.scaled;
  if (number.fits && number.decimals == 4 && OffsetByWhole(result.negative, result.scaled, addend)) {
    result.decimals = 4;
    result.source = {result.negative, result.scaled, -4};
    return result;
  }
  const double sum = number.Value() + static_cast<double>(addend);
  return ToPattern(RoundSignificant(sum, 15), Pattern::FourDecimals);
}

// Every rewritten number passes here, kept in one body: the common plain
// number goes straight through, the rarer cases branch off it.
// NOLINTNEXTLINE(readability-function-size)
RewriteStatus NumberRewriter::ComputeNumber(const char* text, std::size_t size, std::size_t position, float scale,
                                            float addend, Decimals decimals, WordNumber& result) {
  const char letter = ascii::Upper(text[position]);
  const std::size_t run_start = position + 1;
  const std::string_view line(text, size);

  // Most numbers are plain (a sign, digits, a point, digits) and are read
  // on the way; the run goes on over any further number characters and
  // blanks, without the blanks at its end.
  const PlainNumber number_read = plain_number::Read<true>(text + run_start, size - run_start);
  const std::size_t plain_end = run_start + number_read.end;
  const std::size_t run_end = word_characters::RunEnd(text, plain_end);
  result.run_end = run_end;

  // The value is read from the run alone, its blanks ignored. Most runs are
  // the plain form and nothing more; any other must be one number.
  const bool plain = number_read.exact() && run_end == plain_end;
  double read = number_read.value;
  if (!plain) {
    if (!ReadRun(text, run_start, run_end).well_formed) {
      result.kept = true;
      result.read_zero = false;
      return RewriteStatus::Done;
    }
    read = LeadingNumber(line.substr(run_start, run_end - run_start));
  }
  result.kept = false;
  result.read_zero = read == 0;
  // A spindle speed of 0 stops the spindle, whatever the addend: it stays.
  if (letter == 'S' && result.read_zero) {
    result.kept = true;
    return RewriteStatus::Done;
  }
  // A plain number has at most 15 digits and is well within the 32-bit range.
  const float product = plain || std::fabs(read) <= FLT_MAX ? static_cast<float>(read) * scale : INFINITY;
  if (std::isinf(product)) {
    failed_word_.assign(line.substr(position, run_end - position));
    for (char& c : failed_word_) c = ascii::Upper(c);
    return RewriteStatus::OutOfRange;
  }
  // The rounding chain works on the decimal value of each text it would
  // write, so reading a text back is not needed.
  FixedNumber& number = result.number;
  bool exact = false;
  if (std::fabs(product) >= 1000.0f) {
    // From 1000 up, 7 significant digits leave out decimals that are
    // written: the product is taken from the number as written.
    RunNumber run;
    if (plain) {
      run.written = {number_read.negative, number_read.mantissa, number_read.decimals};
    } else {
      run = ReadRun(text, run_start, run_end);
    }
    exact = run.fits && ProductToFourDecimals(run.written, Stored(letter, scale), number);
  }
  if (!exact) {
    const Decimal rounded = RoundSingle(product);
    number = decimals == Decimals::AsNeeded ? ToDecimals(rounded, DecimalsNeeded(rounded))
                                            : ToPattern(rounded, Pattern::FourDecimals);
  }
  if (addend != 0) number = OffsetNumber(number, addend);
  if (letter == 'S') number = ToPattern(RoundSignificant(number.Value(), 15), Pattern::Whole);
  if (letter == 'F' && feed_scale_ != 0 && number.IsZero()) {
    zero_feed_in_program_ = result.read_zero;
    return RewriteStatus::ZeroFeed;
  }
  return RewriteStatus::Done;
}

std::size_t TrimBlankEnds(std::string& line) {
  const std::size_t leading = std::min(line.find_first_not_of(' '), line.size());
  line.erase(0, leading);
  const std::size_t last = line.find_last_not_of(' ');
  line.resize(last == std::string::npos ? 0 : last + 1);
  return leading;
}

RewriteStatus NumberRewriter::RewriteNumber(std::size_t position, float scale, std::string& line,
                                            float addend, Decimals decimals, WordEdit& edit) {
  WordNumber word;
  const RewriteStatus status = ComputeNumber(line.c_str(), line.size(), position, scale, addend, decimals, word);
  if (status != RewriteStatus::Done) return status;
  edit.kept = word.kept;
  edit.read_zero = word.read_zero;
  const std::size_t old_length = word.run_end - position;
  std::size_t new_length = old_length;
  if (word.kept) {
    // The run stays as read; the line's blanks are trimmed as for any word.
  } else if (scale != 0) {
    text_.clear();
    AppendFixed(text_, word.number);
    line.replace(position + 1, word.run_end - position - 1, text_);
    new_length = 1 + text_.size();
  } else {
    line.erase(position, old_length);
    new_length = 0;
  }
  const std::size_t leading = TrimBlankEnds(line);
  edit.leading = leading;
  edit.number = word.number;
  edit.shift = static_cast<std::ptrdiff_t>(new_length) - static_cast<std::ptrdiff_t>(old_length) -
               static_cast<std::ptrdiff_t>(leading);
  return RewriteStatus::Done;
}

}  // namespace kivrel
