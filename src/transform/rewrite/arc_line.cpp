#include "transform/rewrite/arc_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/ascii.h"
#include "numbers/fixed_text.h"
#include "transform/rewrite/arc_pieces.h"
#include "transform/scan/line_tables.h"
#include "transform/scan/protected_text.h"
#include "transform/scan/word_characters.h"

namespace kivrel {
namespace {

using State = AxisPoint::State;

constexpr double kPi = 3.14159265358979323846;
// More pieces than an arc of any sensible size and scales needs (a large
// arc under a stretch of a half takes some hundreds).
constexpr std::size_t kMostPieces = 4096;
constexpr char kAxisLetters[] = "XYZ";
constexpr char kCentreLetters[] = "IJK";

constexpr unsigned Bit(int axis) { return 1u << axis; }

// The centre of the arc of `radius` from `a` to `b`: on the right of the
// chord where a clockwise arc takes the shorter way (a positive radius), on
// the left otherwise; false where the radius cannot reach.
bool RadiusCentre(const double a[2], const double b[2], double radius, bool clockwise, double centre[2]) {
  const double dx = b[0] - a[0];
  const double dy = b[1] - a[1];
  const double half = std::hypot(dx, dy) / 2;
  const double r = std::fabs(radius);
  if (half == 0 || r == 0 || half > r * (1 + 1e-12)) return false;
  const double offset = half >= r ? 0 : std::sqrt(r * r - half * half);
  const double towards = std::atan2(dy, dx) + (clockwise == (radius > 0) ? -kPi / 2 : kPi / 2);
  centre[0] = (a[0] + b[0]) / 2 + offset * std::cos(towards);
  centre[1] = (a[1] + b[1]) / 2 + offset * std::sin(towards);
  return true;
}

// The rules wrote the radius or the plane's end words other than as the
// exact products of the words read: their rounding may move the centre.
bool Rounded(const ArcWords& w, const ConversionPlan& plan, const int axis[3]) {
  constexpr double kExact = 1e-9;
  if (std::fabs(ValueOf(w.radius_out) - ValueOf(w.radius_in) * std::fabs(plan.ScaleOf(axis[0]))) > kExact) {
    return true;
  }
  for (int c = 0; c < 2; ++c) {
    const int a = axis[c];
    if ((w.axes & Bit(a)) != 0 && std::fabs(ValueOf(w.out[a]) - ValueOf(w.in[a]) * plan.ScaleOf(a)) > kExact) {
      return true;
    }
  }
  return false;
}

// The number of ten decimals, of which the zeros that end them go down to
// four, written at `out`; returns its end.
char* WriteTrimmed(char* out, bool negative, std::uint64_t magnitude) {
  FixedNumber number;
  number.negative = negative;
  number.scaled = magnitude;
  number.decimals = 10;
  char* end = WriteFixed(out, number);
  const char* const fourth = end - 10 + 4;
  while (end > fourth && end[-1] == '0') --end;
  return end;
}

}  // namespace

void AppendWritten(std::string& out, Written value) {
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char text[kMaxFixedText];
  // Most are points of four decimals, as the pieces' ends and centres are:
  // written the short way.
  const auto places = static_cast<std::uint64_t>(kFourDecimals);
  const char* const end = magnitude % places == 0 && magnitude / places <= UINT32_MAX
                              ? WriteFourDecimals(text, negative, static_cast<std::uint32_t>(magnitude / places))
                              : WriteTrimmed(text, negative, magnitude);
  out.append(text, static_cast<std::size_t>(end - text));
}

namespace {

// The axes whose start an arc's words are written from: absolute ends and
// absolute centres need where the tool stands; increments with centres
// from the start need nothing of it.
unsigned StartNeeded(const ArcWords& w, const int axis[3]) {
  const bool helical = (w.axes & Bit(axis[2])) != 0;
  unsigned needed = 0;
  if (!w.incremental || w.absolute_centres) needed |= Bit(axis[0]) | Bit(axis[1]);
  if (!w.incremental && helical) needed |= Bit(axis[2]);
  return needed;
}

// The arc in the plane's coordinates as read, and its ends as written in
// the output plane's (`origin_out`: where the output's start stands).
void PlaceEnds(const ArcWords& w, const ConversionPlan& plan, const int axis[3], ArcCut& cut, Written origin_out[3]) {
  // In incremental distance everything is measured from the start.
  const bool relative = w.incremental;
  const Plane out_plane = plan.OutputPlane(w.plane);
  PlaneArc& arc = cut.arc;
  for (int c = 0; c < 3; ++c) {
    const int a = axis[c];
    const AxisPoint& start = w.start.axis[a];
    // (Unknown only for a normal that stays where it is.)
    const bool known = start.state == State::Known;
    const bool has = (w.axes & Bit(a)) != 0;
    arc.start[c] = relative || !known ? 0 : ValueOf(start.in);
    arc.end[c] = has ? ValueOf(w.in[a]) : arc.start[c];
    int r = 2;
    while (r > 0 && ConversionPlan::PlaneAxis(out_plane, r) != plan.OutputAxis(a)) --r;
    if (c == 2) r = 2;
    origin_out[r] = known ? start.out : 0;
    cut.start[r] = relative ? 0 : origin_out[r];
    cut.end[r] = has ? w.out[a] : cut.start[r];
  }
  arc.clockwise = w.clockwise;
  arc.turns = std::max(1, w.turns);
}

// The arc's centre as the interpreter finds it; false where it finds none.
bool PlaceCentre(const ArcWords& w, const int axis[3], PlaneArc& arc) {
  if (w.radius) return RadiusCentre(arc.start, arc.end, ValueOf(w.radius_in), w.clockwise, arc.centre);
  // The interpreter asks for a centre word of the plane.
  if ((w.centres & (Bit(axis[0]) | Bit(axis[1]))) == 0) return false;
  for (int c = 0; c < 2; ++c) {
    const int a = axis[c];
    const bool has = (w.centres & Bit(a)) != 0;
    if (w.absolute_centres && !has) return false;
    const double value = has ? ValueOf(w.centre_in[a]) : 0;
    arc.centre[c] = w.absolute_centres ? value - (w.incremental ? ValueOf(w.start.axis[a].in) : 0)
                                       : arc.start[c] + value;
  }
  return true;
}

// The arc's ends lie at radii far apart: the interpreter refuses it.
bool EndsApart(const PlaneArc& arc) {
  const double from = std::hypot(arc.start[0] - arc.centre[0], arc.start[1] - arc.centre[1]);
  const double to = std::hypot(arc.end[0] - arc.centre[0], arc.end[1] - arc.centre[1]);
  const double apart = std::fabs(from - to);
  return apart > 0.0005 && apart > 0.001 * std::max(from, to);
}

// Under equal scales: the centre the written radius word gives stays
// within `tolerance` of the image of the centre read.
bool WrittenRadiusHoldsCentre(const ArcWords& w, const ArcCut& cut, bool clockwise, double tolerance) {
  const PlaneArc& arc = cut.arc;
  const double a[2] = {ValueOf(cut.start[0]), ValueOf(cut.start[1])};
  const double b[2] = {ValueOf(cut.end[0]), ValueOf(cut.end[1])};
  const double image[2] = {cut.map.m[0][0] * arc.centre[0] + cut.map.m[0][1] * arc.centre[1],
                           cut.map.m[1][0] * arc.centre[0] + cut.map.m[1][1] * arc.centre[1]};
  double written[2];
  return RadiusCentre(a, b, ValueOf(w.radius_out), clockwise, written) &&
         std::hypot(written[0] - image[0], written[1] - image[1]) <= tolerance;
}

// Appends the words of one piece to `words`, from `at` (where the piece
// before it ended).
void AppendPieceWords(std::string& words, const ArcWords& w, Plane out_plane, bool helical, const ArcPiece& piece,
                      const Written at[3], const Written origin_out[3], double time_share) {
  const bool relative = w.incremental;
  bool first = true;
  const auto append_word = [&words, &first](char letter, Written value) {
    if (!first) words += ' ';
    first = false;
    words += letter;
    AppendWritten(words, value);
  };
  int row_of[3];  // each output axis's coordinate in the output plane
  for (int o = 0; o < 3; ++o) {
    int r = 0;
    while (ConversionPlan::PlaneAxis(out_plane, r) != o) ++r;
    row_of[o] = r;
  }
  for (int o = 0; o < 3; ++o) {
    const int r = row_of[o];
    if (r == 2 && !helical) continue;
    append_word(kAxisLetters[o], relative ? piece.end[r] - at[r] : piece.end[r]);
  }
  for (int o = 0; o < 3; ++o) {
    const int r = row_of[o];
    if (r == 2) continue;
    const Written centre = w.absolute_centres ? (relative ? origin_out[r] : 0) + piece.centre[r]
                                              : piece.centre[r] - at[r];
    append_word(kCentreLetters[o], centre);
  }
  if (w.inverse_time) {
    // Each piece's share of the arc's time.
    append_word('F', std::max(RoundWritten(ValueOf(w.feed_out) * time_share, kFourDecimals), kFourDecimals));
  }
}

// Writes `count` pieces into `text`: the first piece's words, and a line
// for each later one.
void WritePieces(const ArcWords& w, const ArcCut& cut, Plane out_plane, bool clockwise, std::size_t count,
                 const Written origin_out[3], ArcText& text) {
  const bool helical = (w.axes & Bit(ConversionPlan::PlaneAxis(w.plane, 2))) != 0;
  double total = 0;
  for (std::size_t k = 0; k < count; ++k) total += text.pieces[k].length;
  text.first.clear();
  text.later.clear();
  text.removed.clear();
  for (int r = 0; r < 3; ++r) text.removed += kAxisLetters[ConversionPlan::PlaneAxis(out_plane, r)];
  text.removed += "IJKRP";
  if (w.inverse_time) text.removed += 'F';
  Written at[3] = {cut.start[0], cut.start[1], cut.start[2]};
  for (std::size_t k = 0; k < count; ++k) {
    const ArcPiece& piece = text.pieces[k];
    const double share = piece.length > 0 ? total / piece.length : 1;
    if (k > 0) text.later += clockwise ? "\r\nG2 " : "\r\nG3 ";
    AppendPieceWords(k == 0 ? text.first : text.later, w, out_plane, helical, piece, at, origin_out, share);
    std::copy(piece.end, piece.end + 3, at);
  }
  text.extra_lines = count - 1;
}

// A piece so short that the feed keeping its share of an inverse-time
// arc's time passes what a number holds.
bool PieceFeedTooLarge(const ArcWords& w, const std::vector<ArcPiece>& pieces, std::size_t count) {
  double total = 0;
  for (std::size_t k = 0; k < count; ++k) total += pieces[k].length;
  for (std::size_t k = 0; k < count; ++k) {
    const double share = pieces[k].length > 0 ? total / pieces[k].length : 1;
    if (!(ValueOf(w.feed_out) * share <= kMostWritten)) return true;
  }
  return false;
}

}  // namespace

ArcJudgement CutArcLine(const ArcWords& w, const ConversionPlan& plan, double tolerance, ArcText& text) {
  const Plane plane = w.plane;
  int axis[3];
  for (int c = 0; c < 3; ++c) axis[c] = ConversionPlan::PlaneAxis(plane, c);
  const unsigned needed = StartNeeded(w, axis);
  for (int a = 0; a < 3; ++a) {
    if ((needed & Bit(a)) != 0 && w.start.axis[a].state != State::Known) {
      return {plan.Distorted(plane) || Rounded(w, plan, axis) ? ArcOutcome::kStartUnknown : ArcOutcome::kAsRules,
              needed};
    }
  }
  // Under inverse time each piece gets its share of the arc's time, which a
  // feed that came out negative (or 0) does not give: the interpreter
  // refuses such an arc, and its pieces would only hide that.
  if (w.inverse_time && (!w.feed || w.feed_out <= 0)) return {ArcOutcome::kNotCut, needed};

  ArcCut cut{};
  cut.map = plan.MapOf(plane);
  cut.tolerance = tolerance;
  Written origin_out[3] = {};
  PlaceEnds(w, plan, axis, cut, origin_out);
  if (!PlaceCentre(w, axis, cut.arc) || EndsApart(cut.arc)) return {ArcOutcome::kNotCut, needed};
  const bool clockwise = ClockwiseImage(cut);
  // A circle still: the words as the rules write them stand, unless the
  // centre a radius word gives has moved with their rounding.
  if (!plan.Distorted(plane) && (!w.radius || WrittenRadiusHoldsCentre(w, cut, clockwise, tolerance))) {
    return {ArcOutcome::kAsRules, needed};
  }

  std::vector<ArcPiece>& pieces = text.pieces;
  if (pieces.size() < kMostPieces) pieces.resize(kMostPieces);
  const std::size_t count = CutArc(cut, pieces.data(), kMostPieces);
  if (count == 0 || (w.inverse_time && PieceFeedTooLarge(w, pieces, count))) return {ArcOutcome::kNotCut, needed};
  WritePieces(w, cut, plan.OutputPlane(plane), clockwise, count, origin_out, text);
  return {ArcOutcome::kCut, needed};
}

void SpliceWords(std::string_view line, std::string_view removed, std::string_view words, std::string& result) {
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  bool dropped[256] = {};
  for (const char letter : removed) dropped[static_cast<unsigned char>(letter)] = true;
  result.clear();
  result.reserve(size + words.size() + 1);
  bool placed = false;
  std::size_t copied = 0;
  for (std::size_t at = 0; at < size; ++at) {
    const unsigned char c = text[at];
    if (c == '[' || (c == '#' && protected_text::StartsParameter(text, size, at))) {
      at = protected_text::End(text, size, at) - 1;
      continue;
    }
    if (line_tables::kClasses.kind[c] == line_tables::kLeader) {
      const void* close = c == '(' ? std::memchr(text + at + 1, ')', size - at - 1) : nullptr;
      if (close == nullptr) break;
      at = static_cast<std::size_t>(static_cast<const unsigned char*>(close) - text);
      continue;
    }
    if (!dropped[c]) continue;
    // The word and the blanks after it go.
    std::size_t end = at + 1;
    while (end < size && word_characters::IsRunCharacter(line[end])) ++end;
    result.append(line, copied, at - copied);
    if (!placed) {
      if (!result.empty() && !ascii::IsBlank(static_cast<unsigned char>(result.back()))) result += ' ';
      result += words;
      if (end < size) result += ' ';
      placed = true;
    }
    copied = end;
    at = end - 1;
  }
  result.append(line, copied, std::string_view::npos);
  if (!placed) {
    // No word to take the place of: the words go before the comment.
    result.insert(0, std::string(words) + (result.empty() ? "" : " "));
  }
  while (!result.empty() && result.back() == ' ') result.pop_back();
}

}  // namespace kivrel
