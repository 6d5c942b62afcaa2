#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace kivrel {

// What the line scan found in the words of a line (before its comment).
struct LineFacts {
  bool radius = false;      // an R word
  bool arc = false;         // a G2 or G3 word
  bool centre = false;      // an I or J word
  bool expression = false;  // a rewritten word followed by "[" or "#"
  std::string_view after_comment;  // the text after a "(...)" comment's ")"
};

// Collects, while a conversion runs, the places where the program will not
// move as the settings say although the rules convert it faithfully: words
// the rules do not scale, and arcs the settings distort. Only what the
// current settings make wrong is noted: one notice per kind, with its first
// line and the number of lines.
class ToolpathNotices {
 public:
  explicit ToolpathNotices(const Settings& settings);

  // A line that passes unchanged because it starts with a comment leader.
  void NoteLeaderLine(std::uint64_t line_number, std::string_view line);
  // A line whose words are rewritten, as the line scan saw it.
  void NoteLine(std::uint64_t line_number, const LineFacts& facts);

  // "Line N: ..." or "Line N (and M more): ...", one for each kind found.
  std::vector<std::string> Notices() const;

 private:
  enum Kind { kRadius, kAfterComment, kBlockDelete, kUnequalArcs, kMirroredArcs, kExpressions, kKinds };

  void Note(Kind kind, std::uint64_t line_number);
  // A word (letter and number) in `text` of a letter marked in `letters`.
  static bool HasWord(std::string_view text, const bool* letters);

  bool scaled_[256] = {};       // letters whose value the settings change
  bool transformed_[256] = {};  // ... or that the exchange renames
  bool radius_ = false;         // X, Y or Z is scaled
  bool unequal_ = false;        // |XScale| differs from |YScale|
  bool mirrored_ = false;       // the settings mirror the XY plane
  std::uint64_t first_[kKinds] = {};
  std::uint64_t count_[kKinds] = {};
};

}  // namespace kivrel
