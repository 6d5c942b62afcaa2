#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ascii.h"

// The G and M codes the line rules and the toolpath notices look at, as
// bits of one set per line (one for G codes, one for M codes).
namespace kivrel::g_codes {

// A set of G codes, one bit each.
using Bits = std::uint64_t;

inline constexpr Bits kArc = Bits{1} << 0; // G2, G3
inline constexpr Bits kPlaneXY = Bits{1} << 1; // G17
inline constexpr Bits kPlaneZX = Bits{1} << 2; // G18
inline constexpr Bits kPlaneYZ = Bits{1} << 3; // G19
inline constexpr Bits kInches = Bits{1} << 4; // G20
inline constexpr Bits kMillimetres = Bits{1} << 5; // G21
inline constexpr Bits kCompensation = Bits{1} << 6; // G41, G42, G41.1, G42.1
inline constexpr Bits kMachine = Bits{1} << 7; // G53
inline constexpr Bits kOffsets = Bits{1} << 8; // G10
inline constexpr Bits kInverseTime = Bits{1} << 9; // G93
inline constexpr Bits kFeedPerMinute = Bits{1} << 10; // G94
inline constexpr Bits kFeedPerRev = Bits{1} << 11; // G95
inline constexpr Bits kSurfaceSpeed = Bits{1} << 12; // G96
inline constexpr Bits kSpindleRpm = Bits{1} << 13; // G97
inline constexpr Bits kToolLength = Bits{1} << 14; // G43.1, G43.2: a tool length given on the line
inline constexpr Bits kConfiguration = Bits{1} << 15; // G130: motor currents, no axis word is a position
inline constexpr Bits kThreading = Bits{1} << 16; // G76
inline constexpr Bits kDiameter = Bits{1} << 17; // G41.1, G42.1: D is a diameter
inline constexpr Bits kBlending = Bits{1} << 18; // G64
inline constexpr Bits kSpline = Bits{1} << 19; // G5
inline constexpr Bits kStraight = Bits{1} << 20; // G0, G1, G38.n, G80, G5.2, G5.3, G70 to G72
inline constexpr Bits kDrilling = Bits{1} << 21; // G81, G82, G85 to G89
inline constexpr Bits kPeckDrilling = Bits{1} << 22; // G73, G83
inline constexpr Bits kDwell = Bits{1} << 23; // G4: its S is a time where the line gives the time no P
inline constexpr Bits kTapping = Bits{1} << 24; // G74, G84
inline constexpr Bits kPitch = Bits{1} << 25; // G33, G33.1: K is the pitch
inline constexpr Bits kQuadSpline = Bits{1} << 26; // G5.1
inline constexpr Bits kAbsolute = Bits{1} << 27; // G90
inline constexpr Bits kIncremental = Bits{1} << 28; // G91
inline constexpr Bits kLatheCycle = Bits{1} << 29; // G70, G71, G72 (and .1, .2): Q names the contour's subroutine; G1 follows
inline constexpr Bits kCentreAbsolute = Bits{1} << 30;  // G90.1: I, J, K name the centre
inline constexpr Bits kCentreIncremental = Bits{1} << 31;  // G91.1: I, J, K from the start
inline constexpr Bits kDiameterMode = Bits{1} << 32;  // G7: X words are diameters
inline constexpr Bits kRadiusMode = Bits{1} << 33;  // G8
// G43, G43.1, G43.2, G49, G54 to G59.3: the program's coordinates of where
// the tool stands change.
inline constexpr Bits kFrameChange = Bits{1} << 34;
// G28, G30, G52, G92 and G92.1 to G92.3: they change them too, and take the
// line's axis words as theirs, no move's.
inline constexpr Bits kFrameTaken = Bits{1} << 36;
// G38.2 to G38.5, G5.2 and G5.3, G33.1: the move ends where no word says.
inline constexpr Bits kEndUnknown = Bits{1} << 35;

// The codes that set the motion mode, one bit for each kind of motion.
inline constexpr Bits kMotion =
    kArc | kStraight | kDrilling | kPeckDrilling | kTapping | kPitch | kThreading | kSpline | kQuadSpline;
// The canned cycles, whose R is a retract plane on the plane's normal.
inline constexpr Bits kCycles = kDrilling | kPeckDrilling | kTapping;
// Codes the notices need not hear of: the modes they follow come to them
// as facts of the line.
inline constexpr Bits kUnheard = kStraight | kDrilling | kPeckDrilling | kTapping | kPitch | kAbsolute | kIncremental |
                                 kCentreAbsolute | kCentreIncremental | kDiameterMode | kRadiusMode | kFrameChange |
                                 kFrameTaken | kEndUnknown;
inline constexpr Bits kPlanes = kPlaneXY | kPlaneZX | kPlaneYZ;

// The codes whose number a rule may change by one digit.
inline constexpr Bits kEditable = kArc | kInches | kMillimetres | kCompensation | kPlaneZX | kPlaneYZ;

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

// Where the last digit of the whole number of the code that starts at
// `text` stands (ReadCodeNumber's last_whole_digit), mostly without reading
// it all: one or two digits and then no blank, point or digit. The byte
// after the `size` bytes must be readable and no digit.
inline std::size_t LastWholeDigit(const unsigned char* text, std::size_t size) {
  if (IsDigit(text[0])) {
    const std::size_t last = IsDigit(text[1]) ? 1 : 0;
    const unsigned char after = text[last + 1];
    if (!IsDigit(after) && !IsBlank(after) && after != '.') return last;
  }
  return ReadCodeNumber(text, size).last_whole_digit;
}

// The bits of each whole code from 0 to 199.
inline constexpr unsigned kHighestCode = 199;
struct CodeTable {
  Bits bit[kHighestCode + 1];
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
    bit[7] = kDiameterMode;
    bit[8] = kRadiusMode;
    bit[43] = bit[49] = kFrameChange;
    bit[28] = bit[30] = bit[52] = bit[92] = kFrameTaken;
    for (int code = 54; code <= 59; ++code) bit[code] = kFrameChange;
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
inline Bits Classify(const unsigned char* text, std::size_t size) {
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
    case 38: return code.tenth >= 2 && code.tenth <= 5 ? kStraight | kEndUnknown : 0;  // probing
    case 5:  // a quadratic spline; NURBS, whose P is a weight
      return code.tenth == 1 ? kQuadSpline : code.tenth <= 3 ? kStraight | kEndUnknown : 0;
    case 33: return code.tenth == 1 ? kPitch | kEndUnknown : 0;  // rigid tapping, which returns
    case 41: case 42: return code.tenth == 1 ? kCompensation | kDiameter : 0;
    case 43: return code.tenth == 1 || code.tenth == 2 ? kToolLength | kFrameChange : 0;
    case 59: return code.tenth <= 3 ? kFrameChange : 0;
    case 92: return code.tenth <= 3 ? kFrameTaken : 0;
    case 90: return code.tenth == 1 ? kCentreAbsolute : 0;
    case 91: return code.tenth == 1 ? kCentreIncremental : 0;
    case 71: case 72: return code.tenth == 1 || code.tenth == 2 ? kLatheCycle | kStraight : 0;
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
  kSubprogram = 1u << 5,  // M98, M99: a call or a return
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
  if (m <= 9 || m == 30 || (m >= 48 && m <= 53) || (m >= 60 && m <= 65) || (m >= 70 && m <= 73)) return 0;
  if (m == 98 || m == 99) return kSubprogram;
  switch (m) {
    case 19: return kOrient;
    case 66: return kInput;
    case 67: case 68: return kAnalog;
    case 117: case 118: return kOther | kMessage;
    default: return kOther;
  }
}

}  // namespace kivrel::m_codes
