#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "numbers/written_number.h"
#include "transform/current_point.h"
#include "transform/rewrite/arc_pieces.h"
#include "transform/roles/conversion_plan.h"
#include "transform/roles/modes.h"

namespace kivrel {

// What an arc's line says, as read and as the rules write it, and where the
// tool stood before it: all that cutting its image into pieces needs.
struct ArcWords {
  Plane plane = Plane::XY;
  bool clockwise = false;         // G2, as read
  bool incremental = false;       // G91
  bool absolute_centres = false;  // G90.1
  bool inverse_time = false;      // G93
  unsigned axes = 0;              // the axis words on the line: X 1, Y 2, Z 4
  Written in[3] = {};             // their numbers as read
  Written out[3] = {};            // ... and as the rules write them
  unsigned centres = 0;           // the centre words: I 1, J 2, K 4
  Written centre_in[3] = {};
  bool radius = false;            // an R word
  Written radius_in = 0;
  Written radius_out = 0;         // as the rules write it
  int turns = 1;                  // P: the turns, the last ending at the end
  bool feed = false;              // an F word
  Written feed_out = 0;           // as the rules write it
  CurrentPoint start;             // where the tool stood
};

enum class ArcOutcome {
  kAsRules,       // the words as the rules write them describe the image
  kCut,           // the image is written as pieces
  kStartUnknown,  // the image needs the start, which is not known
  kNotCut,        // no cut holds the tolerance, or the arc is one the interpreter refuses
};

// The pieces' text: the words of the first, which take the place of the
// line's own arc words, and the lines of the others.
struct ArcText {
  std::string first;      // "X.. Y.. I.. J.."
  std::string later;      // "\r\nG2 X.. Y.. I.. J.." for each later piece
  std::size_t extra_lines = 0;
  std::string removed;    // the letters of the line's words the pieces replace
  std::vector<ArcPiece> pieces;  // room for the pieces, kept from arc to arc
  std::string spliced;           // room for the line they go into, likewise
};

// What CutArcLine made of an arc, and the axes whose start the judgement
// needed (X 1, Y 2, Z 4).
struct [[nodiscard]] ArcJudgement {
  ArcOutcome outcome;
  unsigned needed;
};

// Where the image of the arc under the plan's map lies farther than
// `tolerance` from the words as the rules write them, or the plane has
// unequal scales: cuts it into pieces.
ArcJudgement CutArcLine(const ArcWords& words, const ConversionPlan& plan, double tolerance, ArcText& text);

// `line` (a converted line) with its words of the letters in `removed`
// (before its comment) taken out, and `words` in the place of the first of
// them, into `result`.
void SpliceWords(std::string_view line, std::string_view removed, std::string_view words, std::string& result);

// A written number: at least four decimals, more where its digits need them.
void AppendWritten(std::string& out, Written value);

}  // namespace kivrel
