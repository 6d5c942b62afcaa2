#include "transform/rewrite_number.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string_view>

#include "common/fixed_text.h"
#include "common/leading_number.h"

namespace kivrel {
namespace {

bool IsNumberCharacter(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-';
}

}  // namespace

RewriteStatus NumberRewriter::ComputeNumber(std::string_view line, std::size_t position, float scale,
                                            float addend, WordNumber& result) {
  const char letter = line[position];
  const std::size_t run_start = position + 1;
  std::size_t run_end = run_start;
  while (run_end < line.size() && IsNumberCharacter(line[run_end])) ++run_end;
  result.run_end = run_end;

  // The value is read from the run and the two characters after it.
  const std::size_t look_end = std::min(run_end + 2, line.size());
  const double read = LeadingNumber(line.substr(run_start, look_end - run_start));
  const float product = std::fabs(read) <= FLT_MAX ? static_cast<float>(read) * scale : INFINITY;
  if (std::isinf(product)) {
    failed_word_.assign(line.substr(position, run_end - position));
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
