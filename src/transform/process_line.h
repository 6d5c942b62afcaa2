#pragma once

#include <string>

#include "settings/settings.h"
#include "transform/rewrite_number.h"

namespace kivrel {

// Transforms program lines one at a time. Holds the buffers a line needs, so
// a conversion allocates nothing per line once they have grown.
class LineProcessor {
 public:
  // The settings are taken as they are now; a processor serves one run.
  explicit LineProcessor(const Settings& settings);

  // Rewrites `line` (without its terminator) in place. Lines that start with
  // a comment leader, empty lines and lines marked M20ADDITION stay as read;
  // every other line is upper-cased, its words before the comment rewritten
  // and, on request, X and Y (and I and J) exchanged.
  RewriteStatus ProcessLine(std::string& line);

  // After OutOfRange: the word that could not be scaled.
  const std::string& failed_word() const { return failed_word_; }

 private:
  // A word to rewrite: its letter's place, its row of the letter table, and
  // the scale and addend that row takes.
  struct Word {
    std::size_t position;
    int row;
    float scale;
    float addend;
  };

  RewriteStatus RewriteInTableOrder(std::string& line, Word* words, std::size_t count);
  RewriteStatus RewriteInLineOrder(std::string& line, Word* words, std::size_t count);
  void ExchangeXY(std::string& line);

  // The letter table with this run's scale and addend for each row.
  struct Row {
    float scale;
    float addend;
    bool active;
  };

  const Settings& settings_;
  NumberRewriter rewriter_;
  Row rows_[9];
  std::string spare_;
  std::string output_;
  std::string failed_word_;
  WordNumber numbers_[9];  // one for each row of the letter table
};

}  // namespace kivrel
