#include "transform/rewrite_number.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "common/fixed_text.h"
#include "common/leading_number.h"

namespace kivrel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberCharacter(char c) { return IsDigit(c) || c == '.' || c == '+' || c == '-'; }

constexpr double kExactPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace

RewriteStatus NumberRewriter::ComputeNumber(std::string_view line, std::size_t position, float scale,
                                            float addend, WordNumber& result) {
  char letter = line[position];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  const std::size_t run_start = position + 1;
  const char* p = line.data();
  const std::size_t size = line.size();

  // Most numbers are plain: a sign, digits, a point and digits. They are
  // read while the run is scanned; up to 15 digits are exact in a double
  // and so is a power of ten, so one division rounds correctly.
  std::size_t i = run_start;
  const bool negative = i < size && p[i] == '-';
  if (i < size && (p[i] == '-' || p[i] == '+')) ++i;
  std::uint64_t mantissa = 0;
  const std::size_t whole_start = i;
  while (i < size && IsDigit(p[i])) mantissa = mantissa * 10 + static_cast<std::uint64_t>(p[i++] - '0');
  std::size_t digits = i - whole_start;
  std::size_t decimals = 0;
  if (i < size && p[i] == '.') {
    const std::size_t fraction_start = ++i;
    while (i < size && IsDigit(p[i])) mantissa = mantissa * 10 + static_cast<std::uint64_t>(p[i++] - '0');
    decimals = i - fraction_start;
    digits += decimals;
  }
  std::size_t run_end = i;
  while (run_end < size && IsNumberCharacter(p[run_end])) ++run_end;
  result.run_end = run_end;

  // The value is read from the run and the two characters after it. Those
  // change it only as a blank or an exponent letter followed by a digit
  // ("X1 2" reads 12, "X1E2" 100); such words go the general way.
  bool plain = run_end == i && digits > 0 && digits <= 15;
  if (plain && run_end + 1 < size && IsDigit(p[run_end + 1])) {
    const char next = p[run_end];
    plain = !(next == ' ' || next == '\t' || next == '\n' || next == 'E' || next == 'e' || next == 'D' || next == 'd');
  }
  double read = 0;
  if (plain) {
    read = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
    if (negative) read = -read;
  } else {
    const std::size_t look_end = std::min(run_end + 2, size);
    read = LeadingNumber(line.substr(run_start, look_end - run_start));
  }
  const float product = std::fabs(read) <= FLT_MAX ? static_cast<float>(read) * scale : INFINITY;
  if (std::isinf(product)) {
    failed_word_.assign(line.substr(position, run_end - position));
    for (char& c : failed_word_) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return RewriteStatus::OutOfRange;
  }
  // The rounding chain works on the decimal value of each text it would
  // write, so reading a text back is not needed.
  FixedNumber& number = result.number;
  number = ToPattern(RoundSignificant(product, 7), Pattern::FourDecimals);
  if (addend != 0) {
    const double sum = number.Value() + static_cast<double>(addend);
    number = ToPattern(RoundSignificant(sum, 15), Pattern::FourDecimals);
  }
  if (letter == 'S') number = ToPattern(RoundSignificant(number.Value(), 15), Pattern::Whole);
  if (letter == 'F' && feed_scale_ != 0 && number.IsZero()) return RewriteStatus::ZeroFeed;
  return RewriteStatus::Done;
}

RewriteStatus NumberRewriter::RewriteNumber(std::size_t position, float scale, std::string& line,
                                            float addend, WordEdit& edit) {
  WordNumber word;
  const RewriteStatus status = ComputeNumber(line, position, scale, addend, word);
  if (status != RewriteStatus::Done) return status;
  const std::size_t old_length = word.run_end - position;
  std::size_t new_length = 0;
  if (scale != 0) {
    text_.clear();
    AppendFixed(text_, word.number);
    line.replace(position + 1, word.run_end - position - 1, text_);
    new_length = 1 + text_.size();
  } else {
    line.erase(position, old_length);
  }
  const std::size_t leading = std::min(line.find_first_not_of(' '), line.size());
  line.erase(0, leading);
  const std::size_t last = line.find_last_not_of(' ');
  line.resize(last == std::string::npos ? 0 : last + 1);

  edit.leading = leading;
  edit.shift = static_cast<std::ptrdiff_t>(new_length) - static_cast<std::ptrdiff_t>(old_length) -
               static_cast<std::ptrdiff_t>(leading);
  return RewriteStatus::Done;
}

}  // namespace kivrel
