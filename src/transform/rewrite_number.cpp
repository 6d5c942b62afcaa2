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

RewriteStatus NumberRewriter::RewriteNumber(std::size_t position, float scale, std::string& line,
                                            float addend, std::ptrdiff_t& shift) {
  const char letter = line[position];
  const std::size_t run_start = position + 1;
  std::size_t run_end = run_start;
  while (run_end < line.size() && IsNumberCharacter(line[run_end])) ++run_end;

  // The value is read from the run and the two characters after it.
  const std::size_t look_end = std::min(run_end + 2, line.size());
  const double read = LeadingNumber(std::string_view(line).substr(run_start, look_end - run_start));
  if (!(std::fabs(read) <= FLT_MAX)) {
    failed_word_.assign(line, position, run_end - position);
    return RewriteStatus::OutOfRange;
  }
  const float product = static_cast<float>(read) * scale;
  if (std::isinf(product)) {
    failed_word_.assign(line, position, run_end - position);
    return RewriteStatus::OutOfRange;
  }

  text_.clear();
  AppendSingle(text_, product, Pattern::FourDecimals);
  if (addend != 0) {
    const double sum = LeadingNumber(text_) + static_cast<double>(addend);
    text_.clear();
    AppendFixedText(text_, sum, Pattern::FourDecimals);
  }
  if (letter == 'S') {
    const double speed = LeadingNumber(text_);
    text_.clear();
    AppendFixedText(text_, speed, Pattern::Whole);
  }
  if (letter == 'F' && feed_scale_ != 0 && LeadingNumber(text_) == 0) return RewriteStatus::ZeroFeed;

  const std::size_t old_length = run_end - position;
  std::size_t new_length = 0;
  if (scale != 0) {
    line.replace(run_start, run_end - run_start, text_);
    new_length = 1 + text_.size();
  } else {
    line.erase(position, old_length);
  }
  const std::size_t leading = std::min(line.find_first_not_of(' '), line.size());
  line.erase(0, leading);
  const std::size_t last = line.find_last_not_of(' ');
  line.resize(last == std::string::npos ? 0 : last + 1);

  shift = static_cast<std::ptrdiff_t>(new_length) - static_cast<std::ptrdiff_t>(old_length) -
          static_cast<std::ptrdiff_t>(leading);
  return RewriteStatus::Done;
}

}  // namespace kivrel
