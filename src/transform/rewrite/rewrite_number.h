#pragma once

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "numbers/decimal_product.h"
#include "numbers/fixed_text.h"

namespace kivrel {

enum class [[nodiscard]] RewriteStatus{Done, ZeroFeed, OutOfRange};

// How many decimals a rewritten number has: four, or (for an increment, whose
// rounding would add up move by move) as many as its 7 significant digits
// need, from four to ten.
enum class Decimals { Four, AsNeeded };

// How a rewrite moved the text of the line: text after the word moved by
// `shift`, text before it by minus `leading` (the blanks trimmed in front).
struct WordEdit {
  std::ptrdiff_t shift = 0;
  std::size_t leading = 0;
  FixedNumber number;  // what replaced the run (unless the word was removed)
  bool kept = false;   // the run is no number, or a spindle speed of 0, and stays as read
  bool read_zero = false;  // the number as read is 0
};

// The new number of one word, before it is put into the line.
struct WordNumber {
  std::size_t run_end = 0;  // where the word's number run ends in the line
  FixedNumber number;       // what replaces the run
  bool kept = false;        // the run is no number, or a spindle speed of 0: it stays as read
  bool read_zero = false;   // the number as read is 0
};

// Trims the blanks at both ends of a rewritten line; returns how many stood
// in front.
std::size_t TrimBlankEnds(std::string& line);

// `number` (four decimals) offset by `addend`: the sum of the two as 64-bit
// values, rounded to 15 significant digits and then to four decimals.
FixedNumber OffsetNumber(const FixedNumber& number, float addend);

// The common case of OffsetNumber, in registers: a number with four
// decimals (`scaled` x 10^-4, its sign apart) offset by a whole addend (a
// feed of 10, a spindle speed of 1000) is the sum of its digits and the
// addend's. That is what the rounding chain gives as long as both parts
// stay far below 10^9, for then its rounding errors stay far below half a
// last decimal. False, changing nothing, for any other number or addend.
inline bool OffsetByWhole(bool& negative, std::uint64_t& scaled, float addend) {
  constexpr std::uint64_t kLargestScaled = std::uint64_t{1} << 40;  // about 1.1e8 before the point
  if (scaled >= kLargestScaled || addend != std::trunc(addend) || !(std::fabs(addend) < 16777216.0f)) return false;
  const auto magnitude = static_cast<std::int64_t>(scaled);
  const std::int64_t sum = (negative ? -magnitude : magnitude) + static_cast<std::int64_t>(addend) * 10000;
  negative = sum < 0;
  scaled = static_cast<std::uint64_t>(sum < 0 ? -sum : sum);
  return true;
}

// What the quick way read and wrote of a word: where its run ends, its
// number as read (`digits` with `decimals` decimals) and as written
// (`scaled`, with four).
struct QuickWord {
  std::size_t run_end;
  std::uint64_t digits;
  int decimals;
  bool negative;
  std::uint64_t scaled;
  bool negative_result;
};

// Rewrites address words of upper-cased lines. Keeps its buffers between
// calls, so steady use does not allocate.
class NumberRewriter {
 public:
  // `feed_scale` is the FeedScale setting, which decides whether a feed that
  // comes out as 0 aborts the run.
  explicit NumberRewriter(float feed_scale) : feed_scale_(feed_scale) {}

  // The word's letter stands at `position` (0-based) of the line, upper-cased
  // or as read. Its number run is the longest run of digits, points, signs
  // and blanks after it, without the blanks at its end. A run that is not
  // one number (see RunNumber) is kept as read. Otherwise its value is read
  // from the run alone with the blanks ignored (a sign, digits, at most one
  // point; no exponent), multiplied by `scale` as a 32-bit value, rounded
  // to 7 significant digits and then to four decimals, offset by `addend`,
  // and for S made a whole number. Where the product reaches 1000, and the
  // 7 digits would leave out decimals that are written, it is taken from
  // the number as written and the scale as stored, rounded once.
  // `text` holds `size` bytes and the byte after them is readable and ends
  // any number (a line end, or a string's terminating NUL).
  [[nodiscard]] RewriteStatus ComputeNumber(const char* text, std::size_t size, std::size_t position, float scale,
                                            float addend, Decimals decimals, WordNumber& result);

  // ComputeNumber, then the word put back into `line`: the new number in
  // place of the run, or with a scale of 0 the word removed; blanks at both
  // ends of the line are trimmed. `edit` receives how the rest moved.
  [[nodiscard]] RewriteStatus RewriteNumber(std::size_t position, float scale, std::string& line, float addend,
                                            Decimals decimals, WordEdit& edit);

  // ComputeNumber and WriteFixed in one (quick_number.h), for the common
  // word: a plain number that makes its run alone, with at most seven
  // digits on each side of the point, rewritten with four decimals, and no
  // spindle speed. `text` is followed by sixteen readable bytes, the first
  // ending any number. Writes the number at `out` and returns the end of
  // what it wrote, with what it read and wrote in `word`; returns null,
  // having written nothing that counts, for any other word and wherever
  // ComputeNumber would not come back Done.
  char* WriteQuick(const char* text, std::size_t position, float scale, float addend, char* out, QuickWord& word);

  // The word (letter and number run) whose value was out of range.
  const std::string& failed_word() const { return failed_word_; }
  // After ZeroFeed: the feed word itself is 0, not made 0 by the settings.
  bool zero_feed_in_program() const { return zero_feed_in_program_; }

 private:
  // The scales as stored, for the products that take them: one kept for
  // each letter (and the polar words' "@" and "^"), as a letter's scale
  // changes only with the meaning its word has on a line. A lookup costs
  // the same whichever chunks a thread met before. An entry starts at scale
  // 0, which is never asked for (its products are 0).
  const FixedNumber& Stored(char letter, float scale) {
    assert(letter >= '@' && letter <= '_' && letter == ascii::Upper(letter) && scale != 0);
    StoredScale& entry = stored_[letter - '@'];
    if (entry.scale != scale) entry = {scale, StoredSetting(scale)};
    return entry.stored;
  }

  float feed_scale_;
  bool zero_feed_in_program_ = false;
  struct StoredScale {
    float scale = 0;
    FixedNumber stored;
  };
  StoredScale stored_['_' - '@' + 1];
  std::string text_;
  std::string failed_word_;
};

}  // namespace kivrel
