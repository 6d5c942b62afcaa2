#pragma once

#include <cstddef>

#include "common/ascii.h"

// The G and M codes the line rules and the toolpath notices look at, as
// bits of one set per line (one for G codes, one for M codes).
namespace kivrel::g_codes {

enum : unsigned {
  kArc = 1u << 0,            // G2, G3
  kPlaneXY = 1u << 1,        // G17
  kPlaneZX = 1u << 2,        // G18
  kPlaneYZ = 1u << 3,        // G19
  kInches = 1u << 4,         // G20
  kMillimetres = 1u << 5,    // G21
  kCompensation = 1u << 6,   // G41, G42, G41.1, G42.1
  kMachine = 1u << 7,        // G53
  kOffsets = 1u << 8,        // G10
  kInverseTime = 1u << 9,    // G93
  kFeedPerMinute = 1u << 10, // G94
  kFeedPerRev = 1u << 11,    // G95
  kSurfaceSpeed = 1u << 12,  // G96
  kSpindleRpm = 1u << 13,    // G97
  kToolLength = 1u << 14,    // G43.1, G43.2: a tool length given on the line
  kConfiguration = 1u << 15, // G130: motor currents, no axis word is a position
  kThreading = 1u << 16,     // G76
  kDiameter = 1u << 17,      // G41.1, G42.1: D is a diameter
  kBlending = 1u << 18,      // G64
  kSpline = 1u << 19,        // G5
  kStraight = 1u << 20,      // G0, G1, G38.n, G80, G5.2, G5.3, G70 to G72
  kDrilling = 1u << 21,      // G81, G82, G85 to G89
  kPeckDrilling = 1u << 22,  // G73, G83
  kDwell = 1u << 23,         // G4: its S is a time where the line gives the time no P
  kTapping = 1u << 24,       // G74, G84
  kPitch = 1u << 25,         // G33, G33.1: K is the pitch
  kQuadSpline = 1u << 26,    // G5.1
  kAbsolute = 1u << 27,      // G90
  kIncremental = 1u << 28,   // G91
  kLatheCycle = 1u << 29,    // G70, G71, G72 (and .1, .2): Q names the contour's subroutine; G1 follows
};

// The codes that set the motion mode, one bit for each kind of motion.
inline constexpr unsigned kMotion =
    kArc | kStraight | kDrilling | kPeckDrilling | kTapping | kPitch | kThreading | kSpline | kQuadSpline;
// The canned cycles, whose R is a retract plane on the plane's normal.
inline constexpr unsigned kCycles = kDrilling | kPeckDrilling | kTapping;
// Codes the notices need not hear of: the modes they follow come to them
// as facts of the line.
inline constexpr unsigned kUnheard = kStraight | kDrilling | kPeckDrilling | kTapping | kPitch | kAbsolute | kIncremental;
inline constexpr unsigned kPlanes = kPlaneXY | kPlaneZX | kPlaneYZ;

// The codes whose number a rule may change by one digit.
inline constexpr unsigned kEditable = kArc | kInches | kMillimetres | kCompensation | kPlaneZX | kPlaneYZ;

using ascii::IsBlank;
using ascii::IsDigit;

// A code's number as the interpreter reads it: blanks count for nothing
// anywhere in it (`G2 0` is G20, `G 4 1 . 1` G41.1), and a plus sign may
// lead it.
struct CodeNumber {
  bool found = false;             // a whole number follows
  unsigned whole = 0;             // its value, kept below kLargest
  unsigned tenth = 0;             // the first decimal (0 without a point)
  bool more_decimals = false;     // a decimal after the first that is not 0
  std::size_t last_whole_digit = 0;  // where the whole number's last digit stands
  static constexpr unsigned kLargest = 100000;
};

inline CodeNumber ReadCodeNumber(const unsigned char* text, std::size_t size) {
  CodeNumber code;
  std::size_t i = 0;
  while (i < size && IsBlank(text[i])) ++i;
  if (i < size && text[i] == '+') ++i;
  for (;; ++i) {
    while (i < size && IsBlank(text[i])) ++i;
    if (i >= size || !IsDigit(text[i])) break;
    code.found = true;
    code.last_whole_digit = i;
    code.whole = code.whole * 10 + static_cast<unsigned>(text[i] - '0');
    if (code.whole >= CodeNumber::kLargest) code.whole = CodeNumber::kLargest;
  }
  if (!code.found || i >= size || text[i] != '.') return code;
  bool first = true;
  for (++i;; ++i) {
    while (i < size && IsBlank(text[i])) ++i;
    if (i >= size || !IsDigit(text[i])) break;
    if (first) {
      code.tenth = static_cast<unsigned>(text[i] - '0');
      first = false;
    } else if (text[i] != '0') {
      code.more_decimals = true;
    }
  }
  return code;
}

// The bits of each whole code from 0 to 199.
inline constexpr unsigned kHighestCode = 199;
struct CodeTable {
  unsigned bit[kHighestCode + 1];
  constexpr CodeTable() : bit() {
    bit[0] = bit[1] = bit[80] = kStraight;
    bit[2] = bit[3] = kArc;
    bit[4] = kDwell;
    bit[5] = kSpline;
    bit[33] = kPitch;
    bit[73] = bit[83] = kPeckDrilling;
    bit[74] = bit[84] = kTapping;
    bit[81] = bit[82] = bit[85] = bit[86] = bit[87] = bit[88] = bit[89] = kDrilling;
    bit[10] = kOffsets;
    bit[17] = kPlaneXY;
    bit[18] = kPlaneZX;
    bit[19] = kPlaneYZ;
    bit[20] = kInches;
    bit[21] = kMillimetres;
    bit[41] = bit[42] = kCompensation;
    bit[53] = kMachine;
    bit[64] = kBlending;
    bit[70] = bit[71] = bit[72] = kLatheCycle | kStraight;
    bit[76] = kThreading;
    bit[90] = kAbsolute;
    bit[91] = kIncremental;
    bit[93] = kInverseTime;
    bit[94] = kFeedPerMinute;
    bit[95] = kFeedPerRev;
    bit[96] = kSurfaceSpeed;
    bit[97] = kSpindleRpm;
    bit[130] = kConfiguration;
  }
};
inline constexpr CodeTable kCodeTable;

// The bits of the G word whose number starts at `text`, or 0 for a code no
// rule looks at. A decimal other than .0 makes another code (G41.1 is one
// of those looked at).
inline unsigned Classify(const unsigned char* text, std::size_t size) {
  // Most G words of a program are codes of one or two digits (G0, G01,
  // G02, G17) followed by a letter, or a blank and a letter.
  if (size > 0 && IsDigit(text[0])) {
    unsigned code = text[0] - '0';
    std::size_t next = 1;
    if (next < size && IsDigit(text[next])) code = code * 10 + (text[next++] - '0');
    while (next < size && IsBlank(text[next])) ++next;
    if (next >= size || (!IsDigit(text[next]) && text[next] != '.')) return kCodeTable.bit[code];
  }
  const CodeNumber code = ReadCodeNumber(text, size);
  if (!code.found || code.whole > kHighestCode || code.more_decimals) return 0;
  if (code.tenth == 0) return kCodeTable.bit[code.whole];
  switch (code.whole) {
    case 38: return code.tenth >= 2 && code.tenth <= 5 ? kStraight : 0u;  // probing
    case 5: return code.tenth == 1 ? kQuadSpline : code.tenth <= 3 ? kStraight : 0u;  // NURBS: P is a weight
    case 33: return code.tenth == 1 ? kPitch : 0u;  // rigid tapping
    case 41: case 42: return code.tenth == 1 ? kCompensation | kDiameter : 0u;
    case 43: return code.tenth == 1 || code.tenth == 2 ? kToolLength : 0u;
    case 71: case 72: return code.tenth == 1 || code.tenth == 2 ? kLatheCycle | kStraight : 0u;
    default: return 0;
  }
}

}  // namespace kivrel::g_codes

// The M codes the rules look at.
namespace kivrel::m_codes {

enum : unsigned {
  kOther = 1u << 0,    // a code outside the machining ones: printers' and machine set-up codes, user codes
  kMessage = 1u << 1,  // M117, M118: the rest of the line is a message
  kOrient = 1u << 2,   // M19: its R is an angle, its Q a time
  kInput = 1u << 3,    // M66: its Q is a time
  kAnalog = 1u << 4,   // M67, M68: its E is an output's number, its Q the output's value
};

// The bits of the M word whose number starts at `text`. The machining codes
// are M0 to M9, M19, M30, M48 to M53, M60 to M68, M70 to M73, M98 and M99;
// any other code (or one whose number cannot be read as written, such as
// M[#1]) is another.
inline unsigned Classify(const unsigned char* text, std::size_t size) {
  // Most M words are M0 to M9.
  const unsigned char first = size > 0 ? text[0] : 0;
  const unsigned char second = size > 1 ? text[1] : 0;
  if (g_codes::IsDigit(first) && !g_codes::IsDigit(second) && second != '.' && !g_codes::IsBlank(second)) return 0;
  const g_codes::CodeNumber code = g_codes::ReadCodeNumber(text, size);
  if (!code.found) {
    // A letter M with no number is no code; one with an expression is.
    std::size_t i = 0;
    while (i < size && (g_codes::IsBlank(text[i]) || text[i] == '+' || text[i] == '-')) ++i;
    return i < size && (text[i] == '[' || text[i] == '#') ? unsigned{kOther} : 0u;
  }
  if (code.tenth != 0 || code.more_decimals) return kOther;
  const unsigned m = code.whole;
  if (m <= 9 || m == 30 || (m >= 48 && m <= 53) || (m >= 60 && m <= 65) || (m >= 70 && m <= 73) || m == 98 ||
      m == 99) {
    return 0;
  }
  switch (m) {
    case 19: return kOrient;
    case 66: return kInput;
    case 67: case 68: return kAnalog;
    case 117: case 118: return kOther | kMessage;
    default: return kOther;
  }
}

}  // namespace kivrel::m_codes
