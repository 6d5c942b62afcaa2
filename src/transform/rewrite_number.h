#pragma once

#include <cstddef>
#include <string>

namespace kivrel {

enum class RewriteStatus { Done, ZeroFeed, OutOfRange };

// How a rewrite moved the text of the line: text after the word moved by
// `shift`, text before it by minus `leading` (the blanks trimmed in front).
struct WordEdit {
  std::ptrdiff_t shift = 0;
  std::size_t leading = 0;
};

// Rewrites one address word of an upper-cased line in place. Keeps its
// number buffer between calls, so steady use does not allocate.
class NumberRewriter {
 public:
  // `feed_scale` is the FeedScale setting, which decides whether a feed that
  // comes out as 0 aborts the run.
  explicit NumberRewriter(float feed_scale) : feed_scale_(feed_scale) {}

  // The word's letter stands at `position` (0-based). Its number (the run of
  // digits, points and signs after it) is read, multiplied by `scale`,
  // rounded to four decimals, offset by `addend`, and written back; a scale
  // of 0 removes the word. Blanks at both ends of the line are trimmed.
  // `edit` receives how the rest of the line moved.
  RewriteStatus RewriteNumber(std::size_t position, float scale, std::string& line, float addend,
                              WordEdit& edit);

  // The word (letter and number run) whose value was out of range.
  const std::string& failed_word() const { return failed_word_; }

 private:
  float feed_scale_;
  std::string text_;
  std::string failed_word_;
};

}  // namespace kivrel
