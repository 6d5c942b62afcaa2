#include "transform/process_line.h"

#include <bit>
#include <cassert>
#include <string_view>

#include "transform/roles/g_codes.h"
#include "transform/scan/leading_text.h"
#include "transform/scan/marker.h"

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

}  // namespace

LineProcessor::LineProcessor(const ConversionPlan& plan, NoticeSink* notices)
    : plan_(plan), notices_(notices), rewriter_(plan.settings().FeedScale) {
  bool removal = false;
  for (int row = 0; row < kRows; ++row) removal = removal || plan_.Collected(row).removes;
  // Without removals every line with words goes the one-pass way, so the
  // exchange can be done while upper-casing. The marker is then looked for
  // as it reads after the exchange.
  exchange_in_scan_ = plan_.exchange() && !removal;
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
  ScanLine(line, plan_, exchange_in_scan_, upper_line_, scan);
  // A message for the operator's screen passes as read.
  if ((scan.m_codes & m_codes::kMessage) != 0) {
    out.Append(line);
    return RewriteStatus::Done;
  }
  LineModes modes(modal_, scan.plane, scan.motion, scan.distance);
  const WordRoles roles = RolesOf(CodesOf(line, scan), modes, plan_.facts_wanted());
  exchange_line_ = plan_.exchange() && roles.exchange;
  if (roles.words_as_read && notices_ != nullptr) NoteWordsAsRead(line, scan, line_number);
  // Where the words stand, before the roles take those left as read.
  if (tracking_) PlaceWords(scan);
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
  for (std::size_t e = 0; e < edit_count_; ++e) upper_line_[edits_[e].at] = edits_[e].digit;
  if (MarkedByEarlierRun(line, scan)) {
    // Lines added by an earlier run pass as read, and whatever they move
    // is not followed.
    FollowModes(line_modes, own, modes);
    if (tracking_) point_.Forget();
    out.Append(line);
    return RewriteStatus::Done;
  }
  // The end of the line is followed from its words before they are
  // rewritten in place.
  if (tracking_) FollowPoint(line, scan, roles, modes, line_modes, own);
  FollowModes(line_modes, own, modes);
  const std::size_t line_start = out.size();
  const RewriteStatus status = RewriteWords(line, scan, out);
  if (awaited_rows_ != 0) KeepAwaitedAxes(line, scan);
  if (status != RewriteStatus::Done) return status;
  if (malformed_ && notices_ != nullptr) notices_->NoteWord(line_number, WordNote::kMalformed, {});
  if (arc == ArcOutcome::kCut) SpliceArcPieces(out, line_start);
  return status;
}

inline bool LineProcessor::MarkedByEarlierRun(std::string_view line, const LineScan& scan) const {
  // Only a line with an M or a T (or protected text) can hold a marker. In
  // protected text the scan did not exchange X and Y, nor upper-case the
  // text kept as read.
  if (!scan.may_hold_marker) return false;
  if (scan.has_protected_text || scan.has_preserved_text) return HoldsMarkerInAnyCase(line);
  return std::string_view(upper_line_.data(), line.size()).find(marker_) != std::string_view::npos;
}

inline RewriteStatus LineProcessor::RewriteWords(std::string_view line, LineScan& scan, ByteBuffer& out) {
  const std::string_view upper(upper_line_.data(), line.size());
  // Text that holds the exchange's placeholders ("__TEMP1__" and the rest)
  // comes out as the exchange's passes make it, which only the table-order
  // way follows.
  const bool placeholders = scan.may_hold_marker && plan_.exchange() && upper.find("TEMP") != std::string_view::npos;
  // Only the table-order way knows where protected text and text kept as
  // read are after the words.
  const bool exchange_after = plan_.exchange() && !exchange_in_scan_;
  const bool kept_text = scan.has_protected_text || scan.has_preserved_text;
  preserved_ = scan.has_preserved_text;
  const bool table_order = scan.removes || scan.expression_rows != 0 || placeholders || (kept_text && exchange_after) ||
                           exchange_line_ != plan_.exchange();
  return table_order ? RewriteInTableOrder(line, scan.words, scan.count, scan.expression_rows, out)
                     : RewriteInLineOrder(line, scan.words, scan.count, out);
}

void LineProcessor::SpliceArcPieces(ByteBuffer& out, std::size_t line_start) {
  // The pieces take the place of the arc's words: the first on the line,
  // the others on lines of their own after it.
  SpliceWords(std::string_view(out.data() + line_start, out.size() - line_start), arc_text_.removed, arc_text_.first,
              arc_text_.spliced);
  out.Shrink(out.size() - line_start);
  out.Append(arc_text_.spliced);
  out.Append(arc_text_.later);
  extra_lines_ = arc_text_.extra_lines;
  arc_cut_ = true;
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

RewriteStatus LineProcessor::ProcessLine(std::string& line, std::uint64_t line_number) {
  // A copy with room to read past the line.
  padded_.Clear();
  padded_.Append(line);
  converted_.Clear();
  const RewriteStatus status = ConvertLine(padded_.view(), converted_, line_number);
  if (status == RewriteStatus::Done) line.assign(converted_.data(), converted_.size());
  return status;
}

}  // namespace kivrel
