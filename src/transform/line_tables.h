#pragma once

#include <cstddef>
#include <iterator>

#include "common/ascii.h"
#include "settings/settings.h"
#include "transform/comment_leaders.h"

// The tables the line scan works through, built at compile time.
namespace kivrel::line_tables {

struct LetterRow {
  char letter;
  float Settings::*scale;  // nullptr: the scale is 1
  float Settings::*addend;  // nullptr: nothing is added
};

// The words rewritten, in the order they are taken.
constexpr LetterRow kLetterTable[] = {
    {'X', &Settings::XScale, nullptr},    {'I', &Settings::XScale, nullptr},
    {'Y', &Settings::YScale, nullptr},    {'J', &Settings::YScale, nullptr},
    {'Z', &Settings::ZScale, nullptr},    {'K', &Settings::ZScale, nullptr},
    {'A', &Settings::AScale, nullptr},    {'F', &Settings::FeedScale, &Settings::FeedAdd},
    {'S', nullptr, &Settings::SpindleRPM},
    // An arc's radius or a cycle's retract plane, and a peck's depth: their
    // scales follow the motion mode, line by line.
    {'R', nullptr, nullptr},              {'Q', nullptr, nullptr},
};

// For each byte: itself upper-cased, and its class: the row of the letter
// table, kLeader for a comment leader, kPlain for anything else.
constexpr signed char kPlain = -1;
constexpr signed char kLeader = -2;
constexpr signed char kNoticed = -3;  // G, E, U, V and W, looked at for the rules and the notices
constexpr signed char kMarkerStart = -4;  // M and T, which may begin a marker
constexpr signed char kBracket = -5;      // "[", which begins an expression
constexpr signed char kPolar = -6;        // "@" and "^", LinuxCNC's polar words
struct ByteClasses {
  unsigned char upper[256];
  signed char kind[256];
  constexpr ByteClasses() : upper(), kind() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = static_cast<unsigned char>(ascii::Upper(static_cast<char>(i)));
      kind[i] = kPlain;
    }
    for (int r = 0; r < static_cast<int>(std::size(kLetterTable)); ++r) {
      const char letter = kLetterTable[r].letter;
      kind[static_cast<unsigned char>(letter)] = static_cast<signed char>(r);
      kind[static_cast<unsigned char>(letter - 'A' + 'a')] = static_cast<signed char>(r);
    }
    for (char c : CommentLeaders) kind[static_cast<unsigned char>(c)] = kLeader;
    for (char c : {'G', 'g', 'E', 'e', 'U', 'u', 'V', 'v', 'W', 'w'}) kind[static_cast<unsigned char>(c)] = kNoticed;
    for (char c : {'M', 'm', 'T', 't'}) kind[static_cast<unsigned char>(c)] = kMarkerStart;
    kind[static_cast<unsigned char>('[')] = kBracket;
    kind[static_cast<unsigned char>('@')] = kPolar;
    kind[static_cast<unsigned char>('^')] = kPolar;
  }
};
constexpr ByteClasses kClasses;
constexpr std::size_t kRows = std::size(kLetterTable);

// Each byte with X and Y, and I and J, traded.
struct ExchangeTable {
  unsigned char byte[256];
  constexpr ExchangeTable() : byte() {
    for (int i = 0; i < 256; ++i) byte[i] = static_cast<unsigned char>(i);
    byte[static_cast<unsigned char>('X')] = 'Y';
    byte[static_cast<unsigned char>('Y')] = 'X';
    byte[static_cast<unsigned char>('I')] = 'J';
    byte[static_cast<unsigned char>('J')] = 'I';
  }
};
constexpr ExchangeTable kExchangeTable;
constexpr const unsigned char* kExchanged = kExchangeTable.byte;

}  // namespace kivrel::line_tables
