#pragma once

#include <cstddef>
#include <string_view>

#include "common/ascii.h"

// The G and M codes the line rules and the toolpath notices look at, as
// bits of one set per line.
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
  kNoSpindleSpeed = 1u << 14,  // G10, and M codes whose S is a temperature or a fan's power
  kConfiguration = 1u << 15,   // G130 and M codes that set the machine's configuration: no axis word is a position
  kThreading = 1u << 16,       // G76
  kDiameter = 1u << 17,        // G41.1, G42.1: D is a diameter
  kBlending = 1u << 18,        // G64
  kSpline = 1u << 19,          // G5, G5.1
  // The other codes of the motion mode, which the R and Q rules follow.
  kStraight = 1u << 20,        // G0, G1, G33, G38.n, G76, G80, G5.x: no radius, no retract plane
  kDrilling = 1u << 21,        // G81, G82, G84 to G89
  kPeckDrilling = 1u << 22,    // G73, G83
  kDwell = 1u << 23,           // G4: its S is a time where the line gives the time no P
};

// The codes that set the motion mode, and those the notices need not hear of.
inline constexpr unsigned kMotion = kArc | kStraight | kDrilling | kPeckDrilling;
inline constexpr unsigned kMotionOnly = kStraight | kDrilling | kPeckDrilling;
inline constexpr unsigned kPlanes = kPlaneXY | kPlaneZX | kPlaneYZ;

// The codes whose number a rule may change by one digit.
inline constexpr unsigned kEditable = kArc | kInches | kMillimetres | kCompensation;

// The bits of each whole code from 0 to 199.
inline constexpr unsigned kHighestCode = 199;
struct CodeTable {
  unsigned bit[kHighestCode + 1];
  constexpr CodeTable() : bit() {
    bit[0] = bit[1] = bit[33] = bit[80] = kStraight;
    bit[2] = bit[3] = kArc;
    bit[4] = kDwell;
    bit[5] = kSpline | kStraight;
    bit[73] = bit[83] = kPeckDrilling;
    bit[81] = bit[82] = kDrilling;
    for (int code = 84; code <= 89; ++code) bit[code] = kDrilling;
    bit[10] = kOffsets | kNoSpindleSpeed;
    bit[17] = kPlaneXY;
    bit[18] = kPlaneZX;
    bit[19] = kPlaneYZ;
    bit[20] = kInches;
    bit[21] = kMillimetres;
    bit[41] = bit[42] = kCompensation;
    bit[53] = kMachine;
    bit[64] = kBlending;
    bit[76] = kThreading | kStraight;
    bit[93] = kInverseTime;
    bit[94] = kFeedPerMinute;
    bit[95] = kFeedPerRev;
    bit[96] = kSurfaceSpeed;
    bit[97] = kSpindleRpm;
    bit[130] = kConfiguration;
  }
};
inline constexpr CodeTable kCodeTable;

using ascii::IsDigit;

// The bit of the G word whose number starts at `text` (after the letter,
// blanks and a plus sign allowed), or 0 for a code no notice looks at. A
// decimal other than .0 makes another code (G41.1 is one of those looked at).
inline unsigned Classify(const unsigned char* text, std::size_t size) {
  // Most G words of a program are G0, G1, G00 and G01: straight moves.
  const unsigned char first = size > 0 ? text[0] : 0;
  const unsigned char second = size > 1 ? text[1] : 0;
  const unsigned char third = size > 2 ? text[2] : 0;
  if ((first == '0' || first == '1') && !IsDigit(second) && second != '.') return kStraight;
  if (first == '0' && (second == '0' || second == '1') && !IsDigit(third) && third != '.') return kStraight;
  std::size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < size && text[i] == '+') ++i;
  const std::size_t start = i;
  unsigned code = 0;
  for (; i < size && IsDigit(text[i]) && code <= kHighestCode; ++i) code = code * 10 + (text[i] - '0');
  if (i == start || code > kHighestCode || (i < size && IsDigit(text[i]))) return 0;
  if (i >= size || text[i] != '.') return kCodeTable.bit[code];
  // A decimal part: .0 (any number of zeros) is the code itself.
  ++i;
  const unsigned tenth = i < size && IsDigit(text[i]) ? text[i++] - '0' : 0;
  for (; i < size && IsDigit(text[i]); ++i) {
    if (text[i] != '0') return 0;
  }
  if (tenth == 0) return kCodeTable.bit[code];
  if (code == 38 && tenth >= 2 && tenth <= 5) return kStraight;  // probing
  if (code == 5 && tenth <= 3) return tenth == 1 ? kSpline | kStraight : unsigned{kStraight};
  if (tenth != 1) return 0;
  if (code == 41 || code == 42) return kCompensation | kDiameter;
  return code == 33 ? unsigned{kStraight} : 0u;  // rigid tapping
}

// The whole number of the first word of `letter` (either case) in `text`,
// or -1 where there is none (L of G10, say).
inline long FirstWordWholeNumber(std::string_view text, char letter) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & ~0x20) != letter) continue;
    std::size_t at = i + 1;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    long value = -1;
    for (; at < text.size() && IsDigit(static_cast<unsigned char>(text[at])) && value < 1000; ++at) {
      value = (value < 0 ? 0 : value * 10) + (text[at] - '0');
    }
    return value;
  }
  return -1;
}

// A word of `letter` (either case) with a number follows in `text`.
inline bool HasWord(std::string_view text, char letter) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & ~0x20) != letter) continue;
    std::size_t at = i + 1;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at < text.size() && (IsDigit(static_cast<unsigned char>(text[at])) || text[at] == '.' || text[at] == '-' ||
                             text[at] == '+')) {
      return true;
    }
  }
  return false;
}

// Where the whole number of the G word whose number starts at `from` ends:
// its last digit (`text` ends in a byte that is no digit, blank or sign).
inline std::size_t LastWholeDigit(const char* text, std::size_t from) {
  std::size_t i = from;
  while (text[i] == ' ' || text[i] == '\t') ++i;
  if (text[i] == '+') ++i;
  while (IsDigit(static_cast<unsigned char>(text[i + 1]))) ++i;
  return i;
}

// The bits of the M word whose number starts at `text`, as for a G word:
// M codes of printers and of machine set-up, whose S and axis words are no
// spindle speeds and no positions.
inline unsigned ClassifyM(const unsigned char* text, std::size_t size) {
  std::size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < size && text[i] == '+') ++i;
  const std::size_t start = i;
  unsigned code = 0;
  for (; i < size && IsDigit(text[i]) && code < 1000; ++i) code = code * 10 + (text[i] - '0');
  // Most M words are M0 to M9: none of these.
  if (i == start || code < 92 || code >= 1000) return 0;
  if (i < size && text[i] == '.') {
    for (++i; i < size && IsDigit(text[i]); ++i) {
      if (text[i] != '0') return 0;
    }
  }
  switch (code) {
    case 104: case 106: case 107: case 108: case 109:  // hot end, fan
    case 140: case 141: case 190: case 191:            // bed, chamber
      return kNoSpindleSpeed;
    case 92: case 350: case 906: case 907:  // steps per unit, microsteps, motor currents
      return kConfiguration;
    default:
      return code >= 201 && code <= 208 ? unsigned{kConfiguration} : 0u;  // limits of the axes
  }
}

}  // namespace kivrel::g_codes
