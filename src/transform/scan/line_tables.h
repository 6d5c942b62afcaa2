#pragma once

#include <cstddef>
#include <iterator>

#include "common/ascii.h"
#include "transform/scan/comment_leaders.h"

// The tables the line scan works through, built at compile time: the
// letters whose words the rules look at (the rows), the class of each byte,
// and the exchange of X and Y.
namespace kivrel::line_tables {

// The rows, in the order their words are rewritten: the axes, arc centres,
// feed and spindle first, as the rules have always taken them; then the
// letters whose meaning the line's codes and the modes decide (a radius or
// retract plane, a peck or control point, a pitch, a taper, a diameter,
// polar words).
constexpr char kRowLetters[] = {'X', 'I', 'Y', 'J', 'Z', 'K', 'A', 'F', 'S', 'R', 'Q', 'P', 'E', 'D', '@', '^'};
constexpr int kRows = static_cast<int>(std::size(kRowLetters));

constexpr int RowOf(char letter) {
  for (int row = 0; row < kRows; ++row) {
    if (kRowLetters[row] == letter) return row;
  }
  return -1;
}
constexpr unsigned RowBit(char letter) { return 1u << RowOf(letter); }

constexpr int kRowX = RowOf('X'), kRowI = RowOf('I'), kRowY = RowOf('Y'), kRowJ = RowOf('J'), kRowZ = RowOf('Z'),
              kRowK = RowOf('K'), kRowA = RowOf('A'), kRowF = RowOf('F'), kRowS = RowOf('S'), kRowR = RowOf('R'),
              kRowQ = RowOf('Q'), kRowP = RowOf('P'), kRowE = RowOf('E'), kRowD = RowOf('D'),
              kRowRadius = RowOf('@'), kRowAngle = RowOf('^');

// The words that move the tool: the axes and the polar words.
constexpr unsigned kAxisRows = RowBit('X') | RowBit('Y') | RowBit('Z') | RowBit('A') | RowBit('@') | RowBit('^');

// For each byte: itself upper-cased, and its class: the row of the letter
// table, kLeader for a comment leader, kPlain for anything else.
constexpr signed char kPlain = -1;
constexpr signed char kLeader = -2;
constexpr signed char kNoticed = -3;  // G, U, V, W, B, C and L, looked at for the rules and the notices
constexpr signed char kMarkerStart = -4;  // M and T, which may begin a marker
constexpr signed char kBracket = -5;      // "[", which begins an expression
struct ByteClasses {
  unsigned char upper[256];
  signed char kind[256];
  constexpr ByteClasses() : upper(), kind() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = static_cast<unsigned char>(ascii::Upper(static_cast<char>(i)));
      kind[i] = kPlain;
    }
    for (int r = 0; r < kRows; ++r) {
      const char letter = kRowLetters[r];
      kind[static_cast<unsigned char>(letter)] = static_cast<signed char>(r);
      kind[static_cast<unsigned char>(ascii::Lower(letter))] = static_cast<signed char>(r);
    }
    for (char c : CommentLeaders) kind[static_cast<unsigned char>(c)] = kLeader;
    for (char c : {'G', 'g', 'U', 'u', 'V', 'v', 'W', 'w', 'B', 'b', 'C', 'c', 'L', 'l'}) {
      kind[static_cast<unsigned char>(c)] = kNoticed;
    }
    for (char c : {'M', 'm', 'T', 't'}) kind[static_cast<unsigned char>(c)] = kMarkerStart;
    kind[static_cast<unsigned char>('[')] = kBracket;
  }
};
constexpr ByteClasses kClasses;

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
