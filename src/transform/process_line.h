#pragma once

#include <string>

#include "settings/settings.h"
#include "transform/rewrite_number.h"

namespace kivrel {

// Transforms program lines one at a time. Holds the buffers a line needs, so
// a conversion allocates nothing per line once they have grown.
class LineProcessor {
 public:
  explicit LineProcessor(const Settings& settings)
      : settings_(settings), rewriter_(settings.FeedScale) {}

  // Rewrites `line` (without its terminator) in place. Lines that start with
  // a comment leader, empty lines and lines marked M20ADDITION stay as read;
  // every other line is upper-cased, its words before the comment rewritten
  // and, on request, X and Y (and I and J) exchanged.
  RewriteStatus ProcessLine(std::string& line);

  // After OutOfRange: the word that could not be scaled.
  const std::string& failed_word() const { return rewriter_.failed_word(); }

 private:
  void ExchangeXY(std::string& line);

  const Settings& settings_;
  NumberRewriter rewriter_;
  std::string spare_;
};

}  // namespace kivrel
