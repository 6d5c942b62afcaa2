// Following where the tool stands from line to line, and cutting the
// image of an arc into pieces where its words alone cannot describe it.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "numbers/number_run.h"
#include "transform/process_line.h"
#include "transform/roles/g_codes.h"
#include "transform/scan/word_characters.h"

namespace kivrel {

using namespace line_tables;

namespace {

constexpr int kXYZRows[3] = {kRowX, kRowY, kRowZ};
constexpr int kCentreRows[3] = {kRowI, kRowJ, kRowK};
constexpr unsigned Bit(int axis) { return 1u << axis; }

// The codes after which no word tells where the tool stands in the
// program's coordinates: its frame moves (offsets, tool lengths, a return
// home), or the words of the line are the frame's.
constexpr g_codes::Bits kFrameCodes = g_codes::kFrameChange | g_codes::kFrameTaken | g_codes::kOffsets;
// Codes whose move ends where no word says, or on the machine's coordinates.
constexpr g_codes::Bits kEndUnknownCodes = g_codes::kMachine | g_codes::kEndUnknown;

// The word the line rewrites for `row`, or null where it stays as read.
const ScannedWord* WordOfRow(const LineScan& scan, int row) {
  for (std::size_t w = 0; w < scan.count; ++w) {
    if (scan.words[w].row == row) return &scan.words[w];
  }
  return nullptr;
}

}  // namespace

bool LineProcessor::ReadNumber(const char* text, std::size_t size, std::size_t at, std::size_t run_end,
                               const ScannedWord* word, Written& in, Written* out) {
  const RunNumber run = ReadRun(text, at + 1, run_end);
  if (!run.well_formed || !run.fits || !WrittenOf(run.written, in)) return false;
  if (out == nullptr) return true;
  // As the line writes it: with its meaning's scale, or as read where its
  // meaning leaves it so.
  *out = in;
  if (word == nullptr) return true;
  WordNumber number;
  return rewriter_.ComputeNumber(text, size, at, word->scale, word->addend, word->decimals, number) ==
             RewriteStatus::Done &&
         !number.kept && WrittenOf(number.number, *out);
}

bool LineProcessor::ReadWord(std::string_view line, const LineScan& scan, int row, Written& in, Written* out) {
  const std::size_t at = row_at_[row];
  if (at == std::string::npos || (((expression_rows_ | malformed_rows_) >> row) & 1) != 0) return false;
  return ReadNumber(line.data(), line.size(), at, word_characters::RunEnd(line.data(), at + 1), WordOfRow(scan, row),
                    in, out);
}

double LineProcessor::Tolerance(const Modal& line_modes, unsigned own) {
  // The output's resolution: a thousandth of a millimetre, a ten-thousandth
  // of an inch (and that where the units are not known).
  constexpr double kMillimetre = 0.001;
  constexpr double kInch = 0.0001;
  switch (plan_.units()) {
    case UnitConversion::ToMillimetres: return kMillimetre;
    case UnitConversion::ToInches: return kInch;
    case UnitConversion::None: break;
  }
  ReadMode(kUnitsField, own);
  return line_modes.units == Units::Millimetres ? kMillimetre : kInch;
}

ArcOutcome LineProcessor::DecideArc(std::string_view line, const LineScan& scan, const WordRoles& roles,
                                    LineModes& modes, const Modal& line_modes, unsigned own) {
  if (!roles.moves || roles.words_as_read || roles.spline || !modes.MotionIs(MotionClass::kArc)) {
    return ArcOutcome::kAsRules;
  }
  const Plane plane = modes.plane();
  const bool radius = (scan.seen & RowBit('R')) != 0 && roles.role[kRowR] == Role::kRadius;
  if (!plan_.Distorted(plane)) {
    // A circle's image is a circle: only a radius word's centre may move.
    const RowSetting setting = plan_.Setting(Role::kRadius, kRowR, plane);
    if (!radius || !setting.active || setting.scale == 1) return ArcOutcome::kAsRules;
  }
  // Words the pieces cannot carry: other axes, polar words, codes that move
  // the frame.
  if (scan.other_axes || (scan.seen & (RowBit('A') | RowBit('@') | RowBit('^'))) != 0 ||
      (scan.g_codes & (kFrameCodes | kEndUnknownCodes)) != 0) {
    return ArcOutcome::kNotCut;
  }
  ArcWords words;
  words.plane = plane;
  ReadMode(kMotionField, own);
  words.clockwise = line_modes.clockwise;
  words.incremental = modes.distance() == Distance::Incremental;
  ReadMode(kCentresField, own);
  words.absolute_centres = line_modes.absolute_centres;
  ReadMode(kFeedField, own);
  words.inverse_time = line_modes.inverse_time;
  if (plane != Plane::YZ) {
    // X words that are diameters are followed by no one here.
    ReadMode(kDiametersField, own);
    if (line_modes.diameters) return ArcOutcome::kNotCut;
  }
  if (!ReadArcWords(line, scan, radius, words)) return ArcOutcome::kNotCut;
  ResolvePoint();
  words.start = point_;
  const auto [outcome, needed] = CutArcLine(words, plan_, Tolerance(line_modes, own), arc_text_);
  // A start from before the chunk is not known to it.
  unsigned relied = 0;
  for (int a = 0; a < 3; ++a) {
    if ((needed & Bit(a)) != 0 && point_.axis[a].state == AxisPoint::State::Relative) relied |= Bit(a);
  }
  relied_.point_axes |= relied;
  if (relied != 0) ++point_reliances_;
  if (outcome == ArcOutcome::kCut && block_delete_) {
    // Each piece is skipped with the line.
    std::string skipped;
    for (const char c : arc_text_.later) {
      skipped += c;
      if (c == '\n') skipped += '/';
    }
    arc_text_.later.swap(skipped);
  }
  return outcome;
}

bool LineProcessor::ReadArcWords(std::string_view line, const LineScan& scan, bool radius, ArcWords& words) {
  const auto has = [&](int row) { return ((scan.seen >> row) & 1) != 0; };
  for (int a = 0; a < 3; ++a) {
    if (has(kXYZRows[a])) {
      if (!ReadWord(line, scan, kXYZRows[a], words.in[a], &words.out[a])) return false;
      words.axes |= Bit(a);
    }
    if (has(kCentreRows[a])) {
      if (!ReadWord(line, scan, kCentreRows[a], words.centre_in[a], nullptr)) return false;
      words.centres |= Bit(a);
    }
  }
  if (radius) {
    words.radius = true;
    if (!ReadWord(line, scan, kRowR, words.radius_in, &words.radius_out)) return false;
  }
  if (has(kRowP)) {
    // A count of whole turns.
    Written turns = 0;
    constexpr Written kOne = 10000000000;
    if (!ReadWord(line, scan, kRowP, turns, nullptr) || turns < kOne || turns % kOne != 0 || turns > 1000 * kOne) {
      return false;
    }
    words.turns = static_cast<int>(turns / kOne);
  }
  if (words.inverse_time && has(kRowF)) {
    Written feed = 0;
    if (!ReadWord(line, scan, kRowF, feed, &words.feed_out)) return false;
    words.feed = true;
  }
  return true;
}

void LineProcessor::PlaceWords(const LineScan& scan) {
  std::fill(std::begin(row_at_), std::end(row_at_), std::string::npos);
  for (std::size_t w = 0; w < scan.count; ++w) row_at_[scan.words[w].row] = scan.words[w].position;
  expression_rows_ = scan.expression_rows;
  malformed_rows_ = scan.malformed_rows;
}

bool LineProcessor::Followable(int row) const {
  return row_at_[row] != std::string::npos && (((expression_rows_ | malformed_rows_) >> row) & 1) == 0;
}

void LineProcessor::KeepAwaitedAxes(std::string_view line, const LineScan& scan) {
  for (int a = 0; a < 3; ++a) {
    if (((awaited_rows_ >> kXYZRows[a]) & 1) != 0 && !KeepAxisWord(line, scan, kXYZRows[a], a)) point_.axis[a] = {};
  }
  awaited_rows_ = 0;
}

bool LineProcessor::KeepAxisWord(std::string_view line, const LineScan& scan, int row, int axis) {
  if (!Followable(row)) return false;
  const std::size_t at = row_at_[row];
  // Most axis words are never read: an arc is rare. So where the line is
  // short the rest of it is kept, and where the word's run ends is found
  // only when an arc needs the point. (The byte after the line ends any
  // run, as the 0 after the text does.)
  PendingAxis& pending = pending_[axis];
  std::size_t kept = line.size() - at;
  static_assert(sizeof pending.text >= 2 * kCopyPadding);
  if (kept <= kCopyPadding) {
    // Whole blocks, which the line's padding lets reach past its end.
    std::memcpy(pending.text, line.data() + at, kCopyPadding);
  } else if (kept <= 2 * kCopyPadding) {
    std::memcpy(pending.text, line.data() + at, 2 * kCopyPadding);
  } else {
    if (kept > PendingAxis::kLongestRun) {
      kept = word_characters::RunEnd(line.data(), at + 1) - at;
      if (kept >= PendingAxis::kLongestRun) return false;
    }
    std::memcpy(pending.text, line.data() + at, kept);
  }
  pending.text[kept] = '\0';
  pending.quick = false;
  const ScannedWord* word = WordOfRow(scan, row);
  pending.rewritten = word != nullptr;
  if (word != nullptr) pending.word = *word;
  pending.pending = true;
  return true;
}

void LineProcessor::ResolvePoint() {
  for (int a = 0; a < 3; ++a) {
    PendingAxis& pending = pending_[a];
    if (!pending.pending) continue;
    pending.pending = false;
    AxisPoint& point = point_.axis[a];
    if (point.state != AxisPoint::State::Known) continue;
    if (pending.quick) {
      // As ReadNumber reads it.
      const QuickWord& read = pending.read;
      Written in = 0;
      Written out = 0;
      const bool known = WrittenOf(read.negative, read.digits, read.decimals, in) &&
                         WrittenOf(read.negative_result, read.scaled, 4, out);
      point = known ? AxisPoint{AxisPoint::State::Known, in, out} : AxisPoint{};
      continue;
    }
    // As ReadWord reads it on the line itself.
    const std::size_t size = word_characters::RunEnd(pending.text, 1);
    Written in = 0;
    Written out = 0;
    const bool known = size < PendingAxis::kLongestRun &&
                       ReadNumber(pending.text, size, 0, size, pending.rewritten ? &pending.word : nullptr, in, &out);
    point = known ? AxisPoint{AxisPoint::State::Known, in, out} : AxisPoint{};
  }
}

void LineProcessor::FollowPoint(std::string_view line, const LineScan& scan, const WordRoles& roles,
                                LineModes& modes, const Modal& line_modes, unsigned own) {
  const g_codes::Bits g = scan.g_codes;
  if ((g & kFrameCodes) != 0 || (scan.m_codes & m_codes::kSubprogram) != 0) {
    point_.Forget();
    return;
  }
  if ((own & kUnitsField) != 0) {
    // A change of units: where the tool stands is known in the old ones.
    if ((set_fields_ & kUnitsField) == 0) relied_.fields |= kUnitsField;
    if (modal_.units != line_modes.units) point_.Forget();
  }
  const auto forget = [&](int axis) { point_.axis[axis] = {}; };
  // Polar words move X and Y by an angle and a radius.
  if ((scan.seen & (RowBit('@') | RowBit('^'))) != 0) {
    forget(0);
    forget(1);
  }
  unsigned axes = 0;
  for (int a = 0; a < 3; ++a) axes |= ((scan.seen >> kXYZRows[a]) & 1) != 0 ? Bit(a) : 0;
  if (axes == 0) return;
  if (roles.words_as_read || block_delete_ || (g & kEndUnknownCodes) != 0) {
    // A line that may not run, or ends where no word says.
    for (int a = 0; a < 3; ++a) {
      if ((axes & Bit(a)) != 0) forget(a);
    }
    return;
  }
  if ((g & g_codes::kLatheCycle) != 0 || modes.MotionIs(MotionClass::kThreading)) {
    point_.Forget();
    return;
  }
  const bool incremental = modes.distance() == Distance::Incremental;
  if (modes.MotionIs(MotionClass::kCycle)) {
    // A canned cycle ends over its hole at a height of its retract mode;
    // repeated in incremental distance, holes apart.
    const Plane plane = modes.plane();
    forget(ConversionPlan::PlaneAxis(plane, 2));
    axes &= ~Bit(ConversionPlan::PlaneAxis(plane, 2));
    if (incremental) {
      for (int c = 0; c < 2; ++c) forget(ConversionPlan::PlaneAxis(plane, c));
      return;
    }
  }
  for (int a = 0; a < 3; ++a) {
    if ((axes & Bit(a)) != 0) FollowAxis(line, scan, roles.role[kXYZRows[a]], line_modes, own, incremental, a);
  }
}

inline void LineProcessor::FollowAxis(std::string_view line, const LineScan& scan, Role role, const Modal& line_modes,
                                      unsigned own, bool incremental, int a) {
  AxisPoint& point = point_.axis[a];
  bool known = role == Role::kPosition || role == Role::kIncrement;
  if (known && a == 0) {
    ReadMode(kDiametersField, own);
    known = !line_modes.diameters;
  }
  if (!known) {
    point = {};
    return;
  }
  if (!incremental) {
    // Taken from the rewrite of the line once it is written, or kept to be
    // read only where an arc needs it (KeepAwaitedAxes).
    if (!Followable(kXYZRows[a])) {
      point = {};
      return;
    }
    point = {AxisPoint::State::Known, 0, 0};
    awaited_rows_ |= 1u << kXYZRows[a];
    return;
  }
  ResolvePoint();
  Written in = 0;
  Written out = 0;
  if (!ReadWord(line, scan, kXYZRows[a], in, &out)) {
    point = {};
    return;
  }
  if (point.state != AxisPoint::State::Unknown) {
    point.in += in;
    point.out += out;
  }
}

}  // namespace kivrel
