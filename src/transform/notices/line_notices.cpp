#include <bit>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "numbers/number_run.h"
#include "transform/process_line.h"
#include "transform/roles/g_codes.h"
#include "transform/scan/marker.h"
#include "transform/scan/protected_text.h"
#include "transform/scan/word_characters.h"

// What a line tells the notices, decided as the line is converted.

namespace kivrel {

using namespace line_tables;

namespace {

// The axis and spindle words whose change a line with another M code tells
// of.
constexpr char kChangedOnOtherLinesLetters[] = {'X', 'I', 'Y', 'J', 'Z', 'K', 'A', 'S', 'R', 'Q', '@', '^'};
constexpr unsigned kChangedOnOtherLines = [] {
  unsigned rows = 0;
  for (char letter : kChangedOnOtherLinesLetters) rows |= RowBit(letter);
  return rows;
}();

// The M word at `at` as the notices name it: its letter and number, without
// blanks, upper-cased (or the expression that gives the number).
std::string MWord(std::string_view line, std::size_t at) {
  std::string word = "M";
  std::size_t i = word_characters::SkipBlanks(line, at + 1);
  if (i < line.size() && (line[i] == '[' || line[i] == '#')) {
    const auto* text = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t end = protected_text::End(text, line.size(), i);
    for (; i < end; ++i) word += ascii::Upper(line[i]);
    return word;
  }
  for (; i < line.size() && (word_characters::IsRunCharacter(line[i])); ++i) {
    if (!ascii::IsBlank(static_cast<unsigned char>(line[i]))) word += line[i];
  }
  return word;
}

}  // namespace

void LineProcessor::NoteFacts(std::string_view line, const LineScan& scan, const WordRoles& roles, LineModes& modes,
                              std::uint64_t line_number, ArcOutcome arc) {
  // Most lines hold nothing the notices look at.
  constexpr unsigned kLooked = RowBit('R') | RowBit('E') | RowBit('@') | RowBit('^');
  const bool first_move = !moved_ && roles.moves && plan_.units() != UnitConversion::None;
  if ((scan.seen & (watched_rows_ | kLooked)) == 0 && !scan.uvw && (scan.g_codes & ~g_codes::kUnheard) == 0 &&
      !scan.has_protected_text && !roles.cycle && !roles.tapping && !roles.threading && !first_move) {
    return;
  }
  LineFacts facts;
  const bool r_word = (scan.seen & RowBit('R')) != 0 && plan_.Collected(kRowR).active;
  facts.radius = r_word &&
                 (roles.unused_radius || (roles.role[kRowR] == Role::kRadius && !plan_.RadiusScales(modes.plane()))) &&
                 arc != ArcOutcome::kCut;
  facts.arc_cut = arc == ArcOutcome::kCut;
  facts.arc_start_unknown = arc == ArcOutcome::kStartUnknown;
  // (M66 to M68 give E an input's or output's number, a lathe cycle a
  // length of its own.)
  facts.extrusion = (scan.numbered & RowBit('E')) != 0 && roles.role[kRowE] == Role::kAsRead &&
                    (scan.m_codes & (m_codes::kInput | m_codes::kAnalog)) == 0 &&
                    (scan.g_codes & g_codes::kLatheCycle) == 0;
  facts.uvw = scan.uvw;
  facts.g_codes = scan.g_codes;
  facts.rows = scan.seen;
  facts.has_protected_text = scan.has_protected_text;
  facts.polar = (scan.seen & (RowBit('@') | RowBit('^'))) != 0 && !plan_.PolarConverted();
  const auto centre = [&](int row) { return ((scan.seen >> row) & 1) == 0 || roles.role[row] == Role::kPosition; };
  facts.no_centres = roles.spline || !centre(kRowI) || !centre(kRowJ) || !centre(kRowK);
  facts.turned_cycle = (roles.cycle && plan_.CycleAxisTurned(roles.plane)) ||
                       (roles.threading && plan_.settings().XScale < 0);
  facts.tapping = roles.tapping;
  facts.threading = roles.threading;
  facts.words_as_read = roles.words_as_read;
  if (first_move) {
    facts.first_move = true;
    moved_ = true;
  }
  if (!facts.radius && !facts.extrusion && !facts.uvw && (scan.g_codes & ~g_codes::kUnheard) == 0 &&
      !facts.has_protected_text && !facts.polar && !facts.turned_cycle && !facts.tapping && !facts.threading &&
      !facts.first_move && !facts.arc_start_unknown && (scan.seen & watched_rows_) == 0) {
    return;
  }
  const bool comment = scan.comment != std::string::npos;
  facts.words = line.substr(0, comment ? scan.comment : line.size());
  notices_->NoteLine(line_number, facts);
  watched_rows_ = notices_->watched_rows();
}

void LineProcessor::NoteWordsAsRead(std::string_view line, const LineScan& scan, std::uint64_t line_number) {
  // A marked line passes as read for its mark.
  if (scan.may_hold_marker && HoldsMarkerInAnyCase(line)) return;
  // The axis and spindle words the settings would have changed on another
  // line.
  bool changed = false;
  for (char letter : kChangedOnOtherLinesLetters) {
    const int row = RowOf(letter);
    if (((scan.numbered >> row) & 1) == 0) continue;
    const RowSetting& collected = plan_.Collected(row);
    const bool renamed = plan_.exchange() && (letter == 'X' || letter == 'Y' || letter == 'I' || letter == 'J');
    changed = changed || renamed || ChangesValue(collected) || (row >= kRowR && collected.active);
  }
  // A speed of 0 would have stayed 0.
  if (changed && (scan.numbered & ~RowBit('S') & kChangedOnOtherLines) == 0) {
    for (std::size_t w = 0; w < scan.count; ++w) {
      if (scan.words[w].row != kRowS) continue;
      const std::size_t from = scan.words[w].position + 1;
      const RunNumber run = ReadRun(line.data(), from, word_characters::RunEnd(line.data(), from));
      changed = !run.well_formed || run.written.digits != 0;
    }
  }
  if (changed && scan.other_m_at != std::string::npos) {
    notices_->NoteWord(line_number, WordNote::kOtherCode, MWord(line, scan.other_m_at));
  }
}

void LineProcessor::NoteSign(const ScannedWord& word, const FixedNumber& number, bool read_zero) {
  if (notices_ == nullptr || (word.row != kRowF && word.row != kRowS)) return;
  // A feed of 0 has stopped the conversion; a spindle stopped by the
  // addend is told of, as a turned one is.
  const bool negative = number.negative && !number.IsZero();
  const bool stopped = word.row == kRowS && number.IsZero() && !read_zero;
  if (!negative && !stopped) return;
  std::string text(1, word.row == kRowF ? 'F' : 'S');
  AppendFixed(text, number);
  notices_->NoteWord(line_number_, word.row == kRowF ? WordNote::kNegativeFeed : WordNote::kSpindleStopped, text);
}

}  // namespace kivrel
