#pragma once

#include "transform/roles/modes.h"
#include "transform/scan/line_tables.h"

namespace kivrel {

// What a word means on its line, which decides what the conversion does to
// it. The meaning comes from the line's codes and the modes alone; the
// settings then say how each meaning is converted (ConversionPlan).
enum class Role : unsigned char {
  kAsRead,           // a parameter of another command, or no word of the part: stays as read
  kPosition,         // a position or offset on the part: its axis's scale (I with X, J with Y, K with Z)
  kIncrement,        // a position's increment (G91), X, Y, Z, A or @: as a position, the decimals it needs kept
  kRadius,           // an arc's radius: the scale of the plane's axes, where both have one size
  kRetract,          // a canned cycle's retract plane: the scale of the plane's normal
  kMachinePosition,  // a position on the machine (G53, work offsets): a unit conversion alone
  kToolSize,         // a length or diameter of the tool: a unit conversion alone
  kPitch,            // a thread's pitch: a unit conversion alone
  kThreadSize,       // a thread's depths and taper: a unit conversion alone
  kPeckDepth,        // a peck's depth: a unit conversion alone
  kTolerance,        // a path tolerance: a unit conversion alone
  kFeed,             // a feed rate: the feed multiplier and addend
  kTappingFeed,      // a tapping cycle's feed, the pitch times the speed: a unit conversion alone
  kSpeed,            // a spindle speed: the spindle addend
  kSplineX,          // a cubic spline's P, its second control point's X offset: X's scale
  kSplineY,          // ... its Q, the Y offset: Y's scale
  kPolarRadius,      // @: the size the X and Y scales share
  kPolarAngle,       // ^ in G90: the direction the settings turn it to
  kPolarTurn,        // ^ in G91: an increment of the angle
};

// What the rules know of a line's codes once it is scanned.
struct LineCodes {
  g_codes::Bits g = 0;         // its G codes (g_codes.h)
  unsigned m = 0;              // its M codes (m_codes)
  g_codes::Bits plane = 0;     // its own plane code's bit (the last one), 0 for none
  g_codes::Bits motion = 0;    // ... motion code's bit
  g_codes::Bits distance = 0;  // ... distance code's bit (G90, G91)
  unsigned letters = 0;    // the rows met before the comment, as bits
  bool other_axes = false; // a B, C, U, V or W word
  int l = -1;              // the whole number of its first L word, -1 for none
};

// Facts of the line beyond its words' roles that notices ask for; each is
// looked for only where asked (it may ask about the modes).
enum FactsWanted : unsigned {
  kWantCycles = 1u << 0,     // whether the line runs a canned cycle, and in which plane
  kWantTapping = 1u << 1,    // ... a tapping cycle
  kWantThreading = 1u << 2,  // ... a threading cycle
};

struct WordRoles {
  Role role[line_tables::kRows];
  bool plain = false;            // every role is the row's plain one, and no letter is traded
  bool exchange = true;          // the exchange renames the line's letters
  bool swap_pq = false;          // ... and trades the P and Q that are a control point's offsets
  bool moves = false;            // a motion code of its own or an axis word
  bool words_as_read = false;    // another M code: every word stays as read
  bool unused_radius = false;    // an R on a line that moves, which no code gives a meaning
  bool spline = false;           // its I and J are a spline's control points, no arc's centre
  bool cycle = false;            // it runs a canned cycle (asked with kWantCycles)
  bool tapping = false;          // ... a tapping cycle (kWantTapping)
  bool threading = false;        // ... a threading cycle (kWantThreading)
  Plane plane = Plane::XY;       // the plane of its canned cycle (kWantCycles)
};

// The roles of the words of a line with `codes`, in the modes `modes` tells
// of (which notes what the line relied on).
WordRoles RolesOf(const LineCodes& codes, LineModes& modes, unsigned wanted = 0);

// The role of each row on a plain line: one with no code and no letter that
// gives a word another meaning.
extern const Role kPlainRoles[line_tables::kRows];

// The rows whose meaning the codes and modes alone give: no plain line has
// them.
inline constexpr unsigned kModeRows = line_tables::RowBit('R') | line_tables::RowBit('Q') | line_tables::RowBit('P') |
                                      line_tables::RowBit('E') | line_tables::RowBit('D') | line_tables::RowBit('@') |
                                      line_tables::RowBit('^');



}  // namespace kivrel
