#pragma once

#include <cstdint>
#include <string_view>

namespace kivrel {

// Words of a line the notices are told of one by one.
enum class WordNote : unsigned char {
  kNegativeFeed,     // a feed word that came out negative
  kSpindleStopped,   // a spindle word that came out negative, or 0 from a speed that was not
  kMalformed,        // a number that is not well-formed, left as read
  kOtherCode,        // an M code that keeps the line's words as read, where the settings would change one
};

// What the line scan found in the words of a line (before its comment).
struct LineFacts {
  bool radius = false;      // an R word left as read that the settings would scale: no motion gives it a meaning, or its arc's plane has unequal scales
  bool extrusion = false;   // an E word that no code gives another meaning
  bool uvw = false;         // a U, V or W word
  std::uint64_t g_codes = 0;  // the G codes the notices look at (g_codes.h)
  unsigned rows = 0;        // the letters of the letter table seen, as bits of their rows
  bool has_protected_text = false;  // protected text (an expression, a parameter) before the comment
  bool polar = false;       // polar words ("@", "^") left as read
  bool no_centres = false;  // its I, J and K are no arc's centre (a spline's control points, a thread's sizes)
  bool turned_cycle = false;  // a canned cycle drills along an axis the settings turn round
  bool tapping = false;     // a tapping cycle runs
  bool threading = false;   // a threading cycle runs
  bool first_move = false;  // the first line that moves since the conversion (or its chunk) began
  bool words_as_read = false;  // an M code keeps every word of the line as read
  bool arc_cut = false;     // its arc is written as pieces that follow the arc's image
  bool arc_start_unknown = false;  // its arc's image needs where the tool stood, which is not known
  std::string_view words;          // the line up to its comment start
};

// What hears, line by line, the facts the toolpath notices are made of: the
// notices themselves, or a record of the facts that one thread of a
// conversion keeps for them.
class NoticeSink {
 public:
  virtual ~NoticeSink() = default;
  // A line that passes unchanged because it starts with a comment leader.
  virtual void NoteLeaderLine(std::uint64_t line_number, std::string_view line) = 0;
  // A line whose words are rewritten, as the line scan saw it.
  virtual void NoteLine(std::uint64_t line_number, const LineFacts& facts) = 0;
  // A line of an O word (a subroutine, a loop, a call), which passes as read.
  virtual void NoteOWordLine(std::uint64_t line_number, std::string_view line) = 0;
  // A word the notices are told of (`word` as written, where it is named).
  virtual void NoteWord(std::uint64_t line_number, WordNote note, std::string_view word) = 0;
  // The rows of the letter table whose words, seen on a line, must be heard
  // of even when nothing else on the line is; it may change after NoteLine.
  virtual unsigned watched_rows() const = 0;
};

}  // namespace kivrel
