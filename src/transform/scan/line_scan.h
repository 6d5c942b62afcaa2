#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "transform/rewrite/rewrite_number.h"
#include "transform/roles/conversion_plan.h"
#include "transform/roles/g_codes.h"
#include "transform/roles/word_roles.h"
#include "transform/scan/line_tables.h"

namespace kivrel {

// A word to rewrite: its letter's place, its row of the letter table, the
// scale and addend it takes, the letter it is written with where that is
// not the one it has (0: as it stands), and its number's decimals. (No
// member has a default: a scan's table of words is not filled in advance.)
struct ScannedWord {
  std::size_t position;
  int row;
  float scale;
  float addend;
  char letter;
  Decimals decimals;
};

// The word's value is changed by the meaning it was given.
inline bool ChangesValue(const ScannedWord& word) { return word.scale != 1 || word.addend != 0; }

// What the scan of a line found.
struct LineScan {
  ScannedWord words[line_tables::kRows];  // the first word of each collected row, in the order of the line
  std::size_t count = 0;
  std::size_t comment = std::string::npos;  // where the comment starts
  unsigned seen = 0;                        // the rows met before it, as bits
  unsigned numbered = 0;                    // ... whose first word has a number, an expression or a parameter
  unsigned malformed_rows = 0;              // ... whose first word's run holds signs or points but no digit
  unsigned expression_rows = 0;             // ... of collected words that are an expression or a parameter
  bool removes = false;                     // a collected word is removed
  g_codes::Bits plane = 0;                  // the line's plane code, as its bit (the last one)
  g_codes::Bits motion = 0;                 // ... motion code
  g_codes::Bits distance = 0;               // ... distance code (G90, G91)
  bool uvw = false;                         // a U, V or W word
  bool other_axes = false;                  // a B, C, U, V or W word
  g_codes::Bits g_codes = 0;                // the G codes the rules and notices look at (g_codes.h)
  unsigned m_codes = 0;                     // ... the M codes (m_codes)
  std::size_t other_m_at = std::string::npos;  // the first M code outside the machining ones
  std::size_t l_at = std::string::npos;     // the first L
  bool may_hold_marker = false;             // an M or a T, a comment or protected text: a marker may be there
  bool has_protected_text = false;          // protected text (an expression, a parameter) before the comment
  bool has_preserved_text = false;          // text kept as read: an active comment or a remark
  // G words whose code a rule may change (units, arcs, compensation): where
  // the last digit of the code's whole number stands, and the code's bits,
  // the first few.
  static constexpr std::size_t kMostCodes = 8;
  std::size_t code_digit_at[kMostCodes];
  g_codes::Bits code_bits[kMostCodes];
  std::size_t codes = 0;
};

// Bytes readable after the scanned line in its copy, and writable after
// the text in the rewritten line: the scan stores whole sixteen-byte blocks,
// the last of which may reach that far past the line.
inline constexpr std::size_t kCopyPadding = 16;

// One pass upper-cases `line` into `copy` (exchanging X and Y on the way
// where `exchange` says so; protected text is not exchanged, and active
// comments and remarks keep their bytes as read) and collects, up to the
// comment start, the first word of each row that `plan` collects, in the
// order of the line, with the codes and letters the rules look at. Sixteen
// bytes after `line` must be readable; `copy` keeps kCopyPadding bytes of
// room after the line.
void ScanLine(std::string_view line, const ConversionPlan& plan, bool exchange, std::string& copy, LineScan& scan);

// What the rules know of the line's codes, from its scan.
inline LineCodes CodesOf(std::string_view line, const LineScan& scan) {
  LineCodes codes;
  codes.g = scan.g_codes;
  codes.m = scan.m_codes;
  codes.plane = scan.plane;
  codes.motion = scan.motion;
  codes.distance = scan.distance;
  codes.letters = scan.seen;
  codes.other_axes = scan.other_axes;
  if ((scan.g_codes & g_codes::kOffsets) != 0 && scan.l_at != std::string::npos) {
    const auto* text = reinterpret_cast<const unsigned char*>(line.data());
    const g_codes::CodeNumber l = g_codes::ReadCodeNumber(text + scan.l_at + 1, line.size() - scan.l_at - 1);
    if (l.found) codes.l = static_cast<int>(l.whole);
  }
  return codes;
}

// The word whose letter ends at `from` has no number to rewrite: an
// expression or a parameter stands in its place (after blanks and signs, a
// "[" or "#"), or it has no number at all (nothing, or only signs and
// points, which the controller refuses; a point before an expression makes
// no number either).
enum class Kept { No, Expression, NoNumber, Malformed };
Kept LeftAsItIs(const unsigned char* text, std::size_t size, std::size_t from);

}  // namespace kivrel
