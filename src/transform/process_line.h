#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "transform/rewrite_number.h"
#include "transform/toolpath_notices.h"

namespace kivrel {

// Transforms program lines one at a time. Holds the buffers a line needs, so
// a conversion allocates nothing per line once they have grown.
class LineProcessor {
 public:
  // The settings are taken as they are now; a processor serves one run.
  // `notices`, when given, hears what each line's scan finds.
  explicit LineProcessor(const Settings& settings, ToolpathNotices* notices = nullptr);

  // Rewrites `line` (without its terminator) in place. Lines that start with
  // a comment leader, empty lines and lines marked M20ADDITION stay as read;
  // every other line is upper-cased, its words before the comment rewritten
  // and, on request, X and Y (and I and J) exchanged.
  // `line_number` is for the notices.
  RewriteStatus ProcessLine(std::string& line, std::uint64_t line_number = 0);

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

  void NoteFacts(std::string_view line, const std::size_t* first, std::size_t comment, bool radius, bool arc,
                 std::uint64_t line_number);
  static void SortByRow(Word* words, std::size_t count);
  // Both start from the scanned line in spare_; `words` come in the order
  // of the line. The first rewrites them one after the other in the order
  // of the letter table (any words); the second in one pass along the line
  // (when no word is removed).
  RewriteStatus RewriteInTableOrder(std::string& line, Word* words, std::size_t count);
  RewriteStatus RewriteInLineOrder(std::string& line, Word* words, std::size_t count);

  // The letter table with this run's scale and addend for each row.
  struct Row {
    float scale;
    float addend;
    bool active;
  };

  const Settings& settings_;
  ToolpathNotices* notices_;
  NumberRewriter rewriter_;
  Row rows_[9];
  bool exchange_in_scan_ = false;        // X and Y are exchanged while upper-casing
  const unsigned char* upper_ = nullptr;  // the table the scan writes through
  const char* marker_ = "M20ADDITION";    // as it reads in the scanned line
  std::string spare_;
  std::string output_;
  std::string failed_word_;
  WordNumber numbers_[9];  // one for each row of the letter table
};

}  // namespace kivrel
