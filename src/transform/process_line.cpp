#include "transform/process_line.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "common/ascii.h"
#include "transform/rewrite/exchange_xy.h"
#include "transform/roles/g_codes.h"
#include "transform/scan/kept_text.h"
#include "transform/scan/leading_text.h"
#include "numbers/number_run.h"
#include "transform/scan/protected_text.h"
#include "transform/scan/word_characters.h"
#include "transform/rewrite/wrap_expression.h"

namespace kivrel {

using namespace line_tables;

namespace {

// A line whose first character that is no blank is an O: a subroutine,
// loop, condition, call or return, or a program number. It passes as read.
bool IsOWordLine(std::string_view line) {
  // The line is not empty: mostly its first character decides.
  const char first = line.front();
  if (first != ' ' && first != '\t') return first == 'O' || first == 'o';
  const std::size_t at = line.find_first_not_of(" \t");
  return at != std::string_view::npos && (line[at] == 'O' || line[at] == 'o');
}

// "M20ADDITION" in any letter case.
bool HoldsMarkerInAnyCase(std::string_view line) {
  static constexpr std::string_view kMarker = "M20ADDITION";
  const auto same = [](char a, char b) { return kClasses.upper[static_cast<unsigned char>(a)] == b; };
  return std::search(line.begin(), line.end(), kMarker.begin(), kMarker.end(), same) != line.end();
}

// The settings change the value of the word.
bool ChangesValue(const RowSetting& row) { return row.active && (row.scale != 1 || row.addend != 0); }
bool ChangesValue(const ScannedWord& word) { return word.scale != 1 || word.addend != 0; }

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

LineProcessor::LineProcessor(const Settings& settings, NoticeSink* notices)
    : plan_(settings), notices_(notices), rewriter_(settings.FeedScale) {
  bool removal = false;
  for (int row = 0; row < kRows; ++row) removal = removal || plan_.Collected(row).removes;
  // Without removals every line with words goes the one-pass way, so the
  // exchange can be done while upper-casing. The marker is then looked for
  // as it reads after the exchange.
  exchange_in_scan_ = settings.XYexchange && !removal;
  tracking_ = plan_.TracksPoint();
  marker_ = exchange_in_scan_ ? "M20ADDJTJON" : "M20ADDITION";
  if (notices_ != nullptr) watched_rows_ = notices_->watched_rows();
}

RewriteStatus LineProcessor::ConvertLine(std::string_view line, ByteBuffer& out, std::uint64_t line_number) {
  // The caller's padding: the byte after the line ends any number.
  assert(line.data()[line.size()] == '\0' || line.data()[line.size()] == '\n' || line.data()[line.size()] == '\r');
  extra_lines_ = 0;
  arc_cut_ = false;
  // A block-delete line runs whenever the operator's switch is off: its
  // words are converted behind the "/", which stays in front. Every "/"
  // that leads it (with the blanks around them) is taken at once, so that
  // a line of a great many of them goes no deeper than one call.
  if (!line.empty() && (line.front() == '/' || line.front() == ' ' || line.front() == '\t')) {
    std::size_t words = 0;  // where the text behind the leading slashes starts
    for (std::size_t next = line.find_first_not_of(" \t"); next != std::string_view::npos && line[next] == '/';
         next = line.find_first_not_of(" \t", words)) {
      words = next + 1;
    }
    if (words > 0) {
      const std::size_t before = out.size();
      out.Append(line.substr(0, words));
      block_delete_ = true;
      const RewriteStatus status = ConvertLine(line.substr(words), out, line_number);
      block_delete_ = false;
      if (status != RewriteStatus::Done) out.Shrink(out.size() - before);
      return status;
    }
  }
  // Comments and parameter assignments that open the line stay as read; the
  // words after them are the controller's as on any line.
  if (!line.empty() && (line.front() == '(' || line.front() == '#')) {
    const std::size_t words = WordsAfterLeadingText(line);
    const std::string_view leading = line.substr(0, words);
    if (words > 0 && !HoldsMarkerInAnyCase(leading)) {
      if (notices_ != nullptr) notices_->NoteLeaderLine(line_number, leading);
      const std::size_t before = out.size();
      out.Append(leading);
      const RewriteStatus status = ConvertWords(line.substr(words), out, line_number);
      if (status != RewriteStatus::Done) out.Shrink(out.size() - before);
      return status;
    }
  }
  if (line.empty() || kClasses.kind[static_cast<unsigned char>(line.front())] == kLeader) {
    if (notices_ != nullptr) notices_->NoteLeaderLine(line_number, line);
    out.Append(line);
    return RewriteStatus::Done;
  }
  if (IsOWordLine(line)) {
    if (notices_ != nullptr) notices_->NoteOWordLine(line_number, line);
    // A call, a return, a loop or a condition: where the tool stands
    // afterwards is the interpreter's to know.
    if (tracking_) point_.Forget();
    out.Append(line);
    return RewriteStatus::Done;
  }
  return ConvertWords(line, out, line_number);
}

RewriteStatus LineProcessor::ConvertWords(std::string_view line, ByteBuffer& out, std::uint64_t line_number) {
  LineScan scan;
  ScanLine(line, plan_, exchange_in_scan_, spare_, scan);
  // A message for the operator's screen passes as read.
  if ((scan.m_codes & m_codes::kMessage) != 0) {
    out.Append(line);
    return RewriteStatus::Done;
  }
  LineModes modes(modal_, scan.plane, scan.motion, scan.distance);
  const WordRoles roles = RolesOf(CodesOf(line, scan), modes, plan_.facts_wanted());
  exchange_line_ = plan_.exchange() && roles.exchange;
  if (roles.words_as_read && notices_ != nullptr) NoteWordsAsRead(line, scan, line_number);
  if (tracking_) {
    // Where the words stand, before the roles take those left as read.
    std::fill(std::begin(row_at_), std::end(row_at_), std::string::npos);
    for (std::size_t w = 0; w < scan.count; ++w) row_at_[scan.words[w].row] = scan.words[w].position;
    expression_rows_ = scan.expression_rows;
    malformed_rows_ = scan.malformed_rows;
  }
  // Most lines' words mean what the scan took them for.
  if (roles.plain && (scan.seen & kModeRows) == 0 && scan.malformed_rows == 0) {
    malformed_ = false;
  } else {
    ApplyRoles(scan, roles, modes);
  }
  line_number_ = line_number;
  unsigned own = 0;
  const Modal line_modes = ModesOfLine(line, scan, own);
  const ArcOutcome arc = tracking_ ? DecideArc(line, scan, roles, modes, line_modes, own) : ArcOutcome::kAsRules;
  if (notices_ != nullptr) NoteFacts(line, scan, roles, modes, line_number, arc);
  edit_count_ = 0;
  if (scan.codes != 0 && (plan_.TurnsAnyPlaneOver() || plan_.units() != UnitConversion::None || plan_.exchange())) {
    PlanCodeEdits(line, scan, modes);
  }
  // A line that sets the machine's configuration (motor currents) holds no
  // position: it passes as read.
  if ((scan.g_codes & g_codes::kConfiguration) != 0) {
    FollowModes(line_modes, own, modes);
    out.Append(line);
    return RewriteStatus::Done;
  }
  for (std::size_t e = 0; e < edit_count_; ++e) spare_[edits_[e].at] = edits_[e].digit;
  // Only a line with an M or a T (or protected text) can hold a marker. In
  // protected text the scan did not exchange X and Y, nor upper-case the
  // text kept as read.
  const std::string_view upper(spare_.data(), line.size());
  if (scan.may_hold_marker && (scan.has_protected_text || scan.has_preserved_text
                                   ? HoldsMarkerInAnyCase(line)
                                   : upper.find(marker_) != std::string::npos)) {
    // Lines added by an earlier run pass as read, and whatever they move
    // is not followed.
    FollowModes(line_modes, own, modes);
    if (tracking_) point_.Forget();
    out.Append(line);
    return RewriteStatus::Done;
  }
  const bool markers = scan.may_hold_marker && plan_.exchange() && upper.find("TEMP") != std::string::npos;
  // Only the table-order way knows where protected text and text kept as
  // read are after the words.
  const bool exchange_after = plan_.exchange() && !exchange_in_scan_;
  const bool kept_text = scan.has_protected_text || scan.has_preserved_text;
  preserved_ = scan.has_preserved_text;
  // The end of the line is followed from its words before they are
  // rewritten in place.
  if (tracking_) FollowPoint(line, scan, roles, modes, line_modes, own);
  FollowModes(line_modes, own, modes);
  const std::size_t line_start = out.size();
  const RewriteStatus status =
      scan.removes || scan.expression_rows != 0 || markers || (kept_text && exchange_after) ||
              exchange_line_ != plan_.exchange()
          ? RewriteInTableOrder(line, scan.words, scan.count, scan.expression_rows, out)
          : RewriteInLineOrder(line, scan.words, scan.count, out);
  if (status != RewriteStatus::Done) return status;
  if (malformed_ && notices_ != nullptr) notices_->NoteWord(line_number, WordNote::kMalformed, {});
  if (arc == ArcOutcome::kCut) {
    // The pieces take the place of the arc's words: the first on the line,
    // the others on lines of their own after it.
    const std::string spliced =
        SpliceWords(std::string_view(out.data() + line_start, out.size() - line_start), arc_text_.removed,
                    arc_text_.first);
    out.Shrink(out.size() - line_start);
    out.Append(spliced);
    out.Append(arc_text_.later);
    extra_lines_ = arc_text_.extra_lines;
    arc_cut_ = true;
  }
  return status;
}

void LineProcessor::ApplyRoles(LineScan& scan, const WordRoles& roles, LineModes& modes) {
  const auto plane_of = [&](Role role) {
    return role == Role::kRadius || role == Role::kRetract ? modes.plane() : Plane::XY;
  };
  std::size_t kept = 0;
  bool removes = false;
  for (std::size_t w = 0; w < scan.count; ++w) {
    ScannedWord word = scan.words[w];
    const Role role = roles.role[word.row];
    // A plain meaning of the axes, feed and spindle rows came with the scan.
    if (role != kPlainRoles[word.row] || word.row >= kRowR) {
      const RowSetting setting = plan_.Setting(role, word.row, plane_of(role));
      if (!setting.active) {
        scan.expression_rows &= ~(1u << word.row);
        continue;
      }
      word.scale = setting.scale;
      word.addend = setting.addend;
      word.decimals = setting.decimals;
    }
    if (exchange_line_ && (role == Role::kSplineX || role == Role::kSplineY)) word.letter = word.row == kRowP ? 'Q' : 'P';
    removes = removes || word.scale == 0;
    scan.words[kept++] = word;
  }
  scan.count = kept;
  scan.removes = removes;
  // A word left as read with no number in its run is told of where its
  // meaning would change it.
  malformed_ = false;
  for (unsigned rows = scan.malformed_rows; rows != 0; rows &= rows - 1) {
    const int row = std::countr_zero(rows);
    malformed_ = malformed_ || ChangesValue(plan_.Setting(roles.role[row], row, plane_of(roles.role[row])));
  }
}

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
  facts.radius = r_word && (roles.unused_radius ||
                            (roles.role[kRowR] == Role::kRadius && !plan_.RadiusScales(modes.plane()))) &&
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

void LineProcessor::StartChunk(const Modal& assumed, const CurrentPoint* point) {
  modal_ = assumed;
  set_fields_ = 0;
  relied_ = {};
  moved_ = false;
  point_ = point != nullptr ? *point : CurrentPoint::Relative();
  for (PendingAxis& pending : pending_) pending.pending = false;
}

Modal LineProcessor::ModesOfLine(std::string_view line, const LineScan& scan, unsigned& own) const {
  Modal modes = modal_;
  own = 0;
  if (scan.plane != 0) {
    modes.plane = PlaneOf(scan.plane);
    own |= kPlaneField;
  }
  if (scan.motion != 0) {
    modes.motion = MotionOf(scan.motion);
    own |= kMotionField;
    // Which way the arcs turn: the number of the line's arc code.
    const auto* text = reinterpret_cast<const unsigned char*>(line.data());
    modes.clockwise = false;
    for (std::size_t c = 0; c < scan.codes; ++c) {
      if ((scan.code_bits[c] & g_codes::kArc) == 0) continue;
      const std::size_t from = scan.code_at[c] + 1;
      modes.clockwise = g_codes::ReadCodeNumber(text + from, line.size() - from).whole == 2;
    }
  }
  if (scan.distance != 0) {
    modes.distance = scan.distance == g_codes::kIncremental ? Distance::Incremental : Distance::Absolute;
    own |= kDistanceField;
  }
  const g_codes::Bits g = scan.g_codes;
  if ((g & (g_codes::kInches | g_codes::kMillimetres)) != 0) {
    modes.units = (g & g_codes::kMillimetres) != 0 ? Units::Millimetres : Units::Inches;
    own |= kUnitsField;
  }
  if ((g & (g_codes::kInverseTime | g_codes::kFeedPerMinute | g_codes::kFeedPerRev)) != 0) {
    modes.inverse_time = (g & g_codes::kInverseTime) != 0;
    own |= kFeedField;
  }
  if ((g & (g_codes::kCentreAbsolute | g_codes::kCentreIncremental)) != 0) {
    modes.absolute_centres = (g & g_codes::kCentreAbsolute) != 0;
    own |= kCentresField;
  }
  if ((g & (g_codes::kDiameterMode | g_codes::kRadiusMode)) != 0) {
    modes.diameters = (g & g_codes::kDiameterMode) != 0;
    own |= kDiametersField;
  }
  return modes;
}

void LineProcessor::FollowModes(const Modal& line_modes, unsigned own, LineModes& modes) {
  // What the line relied on of the modes before its chunk: those its chunk
  // has not set yet.
  ModesRelied relied = modes.relied();
  if ((set_fields_ & kPlaneField) != 0) relied.plane = false;
  if ((set_fields_ & kMotionField) != 0) relied.motion_classes = 0;
  if ((set_fields_ & kDistanceField) != 0) relied.distance = false;
  relied_.Add(relied);
  modal_ = line_modes;
  set_fields_ |= own;
}

void LineProcessor::ReadMode(unsigned field, unsigned own) {
  if (((own | set_fields_) & field) == 0) relied_.fields |= field;
}

void LineProcessor::PlanCodeEdits(std::string_view line, const LineScan& scan, LineModes& modes) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const UnitConversion units = plan_.units();
  for (std::size_t c = 0; c < scan.codes; ++c) {
    const g_codes::Bits bits = scan.code_bits[c];
    const std::size_t from = scan.code_at[c] + 1;
    const std::size_t at = from + g_codes::ReadCodeNumber(text + from, line.size() - from).last_whole_digit;
    const char digit = line[at];
    char edited = digit;
    // A unit conversion names the units it converts to: G20 becomes G21,
    // or G21 G20.
    if ((bits & g_codes::kInches) != 0 && units == UnitConversion::ToMillimetres) edited = '1';
    if ((bits & g_codes::kMillimetres) != 0 && units == UnitConversion::ToInches) edited = '0';
    // The exchange carries the XZ plane onto the YZ plane: G18 and G19 trade.
    if ((bits & (g_codes::kPlaneZX | g_codes::kPlaneYZ)) != 0 && plan_.exchange()) edited = digit == '8' ? '9' : '8';
    // Where the settings turn the plane over, arcs and cutter compensation
    // run the other way: G2 and G3, G41 and G42 trade places.
    if ((bits & (g_codes::kArc | g_codes::kCompensation)) != 0 && plan_.TurnsAnyPlaneOver() &&
        plan_.TurnedOver(modes.plane())) {
      edited = digit == '2' ? ((bits & g_codes::kArc) != 0 ? '3' : '1') : digit == '3' ? '2' : digit == '1' ? '2' : digit;
    }
    if (edited != digit) edits_[edit_count_++] = {at, edited};
  }
}

RewriteStatus LineProcessor::ProcessLine(std::string& line, std::uint64_t line_number) {
  // A copy with room to read past the line.
  padded_.Clear();
  padded_.Append(line);
  converted_.Clear();
  const RewriteStatus status = ConvertLine(padded_.view(), converted_, line_number);
  if (status == RewriteStatus::Done) line.assign(converted_.data(), converted_.size());
  return status;
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

void LineProcessor::SortByRow(ScannedWord* words, std::size_t count) {
  for (std::size_t w = 1; w < count; ++w) {  // a handful of words
    for (std::size_t v = w; v > 0 && words[v - 1].row > words[v].row; --v) std::swap(words[v - 1], words[v]);
  }
}

RewriteStatus LineProcessor::RewriteInTableOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                                unsigned expression_rows, ByteBuffer& out) {
  // The words one after the other on the plain upper-cased line.
  std::string& work = table_line_;
  if (exchange_in_scan_) {
    work.resize(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) work[i] = static_cast<char>(kClasses.upper[static_cast<unsigned char>(line[i])]);
    // Active comments and remarks keep their bytes.
    if (preserved_) {
      kept_text::FindUnexchanged(line, [&](std::size_t start, std::size_t end) {
        const auto* text = reinterpret_cast<const unsigned char*>(line.data());
        if (text[start] == '(' || text[start] == ';') work.replace(start, end - start, line.substr(start, end - start));
      });
    }
  } else {
    work.assign(spare_, 0, line.size());
  }
  for (std::size_t e = 0; e < edit_count_; ++e) work[edits_[e].at] = edits_[e].digit;
  SortByRow(words, count);
  for (std::size_t w = 0; w < count; ++w) {
    const std::size_t position = words[w].position;
    if (words[w].letter != 0) work[position] = words[w].letter;
    WordEdit edit;
    if (((expression_rows >> words[w].row) & 1) != 0) {
      // Where the settings leave its value as it is, so does the rewrite.
      if (!ChangesValue(words[w])) continue;
      WrapExpression(position, words[w].scale, words[w].addend, work, edit);
    } else {
      // A removed word may leave an expression or a parameter right after
      // an earlier letter, whose word then stays as it is.
      const auto* text = reinterpret_cast<const unsigned char*>(work.c_str());
      if (!protected_text::IsDigit(text[position + 1]) && LeftAsItIs(text, work.size(), position + 1) != Kept::No) {
        continue;
      }
      const RewriteStatus status =
          rewriter_.RewriteNumber(position, words[w].scale, work, words[w].addend, words[w].decimals, edit);
      if (status != RewriteStatus::Done) {
        failed_word_.assign(rewriter_.failed_word());
        return status;
      }
      if (edit.kept) {
        malformed_ = malformed_ || (!edit.read_zero && ChangesValue(words[w]));
      } else if (words[w].scale != 0) {
        NoteSign(words[w], edit.number, edit.read_zero);
      }
    }
    // A rewrite adds or removes no other letter: the words still to come
    // only move.
    for (std::size_t later = w + 1; later < count; ++later) {
      std::size_t& other = words[later].position;
      other = other > position ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(other) + edit.shift)
                               : other - edit.leading;
    }
  }
  if (exchange_line_) ExchangeXY(work, spare_);
  out.Append(work);
  return RewriteStatus::Done;
}

// When no word is removed, a rewrite changes nothing but its own number
// run: the letters stay, and each run, which alone gives its value, ends
// where it did whatever the neighbouring words have become. The words can then
// be rewritten from left to right into a new line in one pass, exchanging X
// and Y on the way; a failure is reported for the word earliest in the table.
RewriteStatus LineProcessor::RewriteInLineOrder(std::string_view line, ScannedWord* words, std::size_t count,
                                               ByteBuffer& out_buffer) {
  // The words come in the order of the line; their numbers are read from
  // the line as it came (only the letters differ from the upper-cased one).
  const std::string_view upper(spare_.data(), line.size());
  // The buffer keeps padding after the room reserved: short pieces may be
  // moved in blocks that reach past what they write.
  char* const begin = out_buffer.Reserve(upper.size() + count * kMaxFixedText + kCopyPadding);
  char* out = begin;
  // Where the scan did not exchange X and Y, the copy does.
  const unsigned char* exchange = plan_.exchange() && !exchange_in_scan_ ? kExchanged : nullptr;
  auto copy = [&](std::size_t from, std::size_t to) {
    if (exchange == nullptr) {
      // Mostly a blank and a letter: one block moves them, and what it
      // moves beyond them is written over next or lies past the end.
      if (to - from <= kCopyPadding) {
        std::memcpy(out, upper.data() + from, kCopyPadding);
      } else {
        std::memcpy(out, upper.data() + from, to - from);
      }
      out += to - from;
      return;
    }
    for (std::size_t i = from; i < to; ++i) *out++ = static_cast<char>(exchange[static_cast<unsigned char>(upper[i])]);
  };
  RewriteStatus status = RewriteStatus::Done;
  int failed_row = kRows;
  bool fits = true;
  std::size_t copied = 0;
  WordNumber word;
  // The feed and spindle words that came out negative or 0, told to the
  // notices once the line is done.
  std::size_t negative_or_zero[kRows];
  std::size_t signs = 0;
  for (std::size_t w = 0; w < count; ++w) {
    // Every word is computed, so that a failure is reported for the
    // earliest in the table; the text stops at the first failure.
    const RewriteStatus word_status =
        rewriter_.ComputeNumber(line.data(), line.size(), words[w].position, words[w].scale, words[w].addend,
                                words[w].decimals, word);
    if (word_status != RewriteStatus::Done) {
      if (words[w].row < failed_row) {
        failed_row = words[w].row;
        status = word_status;
        failed_word_.assign(rewriter_.failed_word());
      }
      continue;
    }
    if (word.kept) {  // the run stays in the text as read, its letter traded where that is asked
      malformed_ = malformed_ || (!word.read_zero && ChangesValue(words[w]));
      if (words[w].letter != 0 && status == RewriteStatus::Done && fits) {
        copy(copied, words[w].position + 1);
        out[-1] = words[w].letter;
        copied = words[w].position + 1;
      }
      continue;
    }
    fits = fits && word.number.fits;
    if (status != RewriteStatus::Done || !fits) continue;
    if ((word.number.negative || word.number.IsZero()) && (words[w].row == kRowF || words[w].row == kRowS)) {
      negative_or_zero[signs++] = w;
    }
    copy(copied, words[w].position + 1);
    if (words[w].letter != 0) out[-1] = words[w].letter;
    out = WriteFixed(out, word.number);
    copied = word.run_end;
  }
  if (status != RewriteStatus::Done) return status;
  // Too long for the fast writer; this way is taken only without expressions.
  if (!fits) return RewriteInTableOrder(line, words, count, 0, out_buffer);
  // Rare, so computed again rather than kept; each was computed above
  // already, and gave its number.
  for (std::size_t n = 0; n < signs; ++n) {
    const ScannedWord& signed_word = words[negative_or_zero[n]];
    const RewriteStatus again = rewriter_.ComputeNumber(line.data(), line.size(), signed_word.position,
                                                        signed_word.scale, signed_word.addend, signed_word.decimals,
                                                        word);
    assert(again == RewriteStatus::Done);
    static_cast<void>(again);
    NoteSign(signed_word, word.number, word.read_zero);
  }
  copy(copied, upper.size());
  const char* start = begin;
  if (count > 0) {  // every rewrite trims the line's blanks at both ends
    while (out > start && out[-1] == ' ') --out;
    while (start < out && *start == ' ') ++start;
  }
  if (start != begin) std::memmove(begin, start, static_cast<std::size_t>(out - start));
  out_buffer.Commit(static_cast<std::size_t>(out - start));
  return RewriteStatus::Done;
}

}  // namespace kivrel
