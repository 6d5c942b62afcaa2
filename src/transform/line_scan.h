#pragma once

#include <cstddef>
#include <string>

namespace kivrel {

// A row of the letter table with this run's settings.
struct RowSetting {
  float scale;
  float addend;
  bool active;   // its words are rewritten
  bool removes;  // ... and removed, the scale being 0
};

// A word to rewrite: its letter's place, its row of the letter table, and
// the scale and addend that row takes.
struct ScannedWord {
  std::size_t position;
  int row;
  float scale;
  float addend;
};

// What the scan of a line found.
struct LineScan {
  ScannedWord words[11];  // the first word of each rewritten letter, in the order of the line
  std::size_t count = 0;
  std::size_t comment = std::string::npos;  // where the comment starts
  unsigned seen = 0;                        // the rows of the letter table met before it, as bits
  bool removes = false;                     // a word is removed
  bool radius = false;                      // an R word that stays as it is
  unsigned plane = 0;                       // the line's plane code, as its bit (the last one)
  unsigned motion = 0;                      // the line's motion code, as its bit (the last one)
  bool extrusion = false;                   // an E word
  bool uvw = false;                         // a U, V or W word
  bool malformed = false;                   // a rewritten letter's run holds signs or points but no digit
  unsigned g_codes = 0;                     // the G and M codes the rules and notices look at (g_codes.h)
  bool may_hold_marker = false;             // an M or a T, a comment or protected text: a marker may be there
  unsigned expression_rows = 0;             // the rows whose word to rewrite is an expression or a parameter
  bool polar = false;                       // an "@" or "^" word
  bool has_protected_text = false;          // protected text (an expression, a parameter) before the comment
  // G words whose code a rule may change (units, arcs, compensation): the
  // letter's place and the code's bits, the first few.
  static constexpr std::size_t kMostCodes = 8;
  std::size_t code_at[kMostCodes];
  unsigned code_bits[kMostCodes];
  std::size_t codes = 0;
};

}  // namespace kivrel
