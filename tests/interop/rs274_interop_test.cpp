// kivrel-filter's output through LinuxCNC's own interpreter (rs274): the
// converted programs are accepted, and every straight and arc move ends
// where the input's does, scaled (or exchanged) as the settings say.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "e2e/program_folder.h"
#include "support/curve_distance.h"

namespace kivrel::testing {
namespace {

constexpr const char* kInterpreter = "/usr/bin/rs274";

struct Move {
  std::string kind;            // STRAIGHT_TRAVERSE, STRAIGHT_FEED or ARC_FEED
  std::vector<double> values;  // as the interpreter prints them
};

// The interpreter keeps its tool table in "$HOME/.tool.mmap", which every
// start empties: two at once under one home (ctest runs tests side by side)
// spoil each other's run. Each runs with the program's folder as its home.
std::vector<std::string> HomeOf(const std::string& file) {
  return {"HOME=" + std::filesystem::path(file).parent_path().string()};
}

// The canonical moves of a program, after checking that the interpreter
// took every line.
std::vector<Move> Interpret(const std::string& file) {
  const ProgramRun run = RunProgramAt(kInterpreter, {"-g", file}, std::filesystem::path(file).parent_path().string(),
                                      HomeOf(file));
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  std::vector<Move> moves;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "executing") continue;
    // Every other line is a canonical command: "   12 N..... NAME(arguments)".
    const std::size_t marker = line.find(" N..... ");
    const std::size_t open = line.find('(');
    if (marker == std::string::npos || open == std::string::npos || line.back() != ')') {
      ADD_FAILURE() << file << ": the interpreter reported «" << line << "»";
      continue;
    }
    const std::string kind = line.substr(marker + 8, open - marker - 8);
    if (kind != "STRAIGHT_TRAVERSE" && kind != "STRAIGHT_FEED" && kind != "ARC_FEED") continue;
    Move move{kind, {}};
    std::stringstream arguments(line.substr(open + 1, line.size() - open - 2));
    std::string value;
    while (std::getline(arguments, value, ',')) move.values.push_back(std::stod(value));
    moves.push_back(move);
  }
  return moves;
}

// What the settings of a sample run do to lengths, rates and speeds: X, Y
// and Z scaled (and X and Y exchanged), feeds multiplied and raised,
// spindle speeds raised.
struct Transform {
  double x = 1, y = 1, z = 1;
  bool exchange = false;
  double feed = 1, feed_add = 0, spindle_add = 0;
};

// The axes of a plane, as indices of X, Y and Z: XY (first X, second Y,
// axis Z), XZ (Z, X, Y) or YZ (Y, Z, X).
constexpr int kPlaneAxes[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};

// Where the moves of a sample must end up under `t`. The plane the
// interpreter selects says which lengths an arc's numbers are; the
// exchange carries the XZ plane onto the YZ plane and back, and an arc
// turns the other way where the settings mirror its plane (the exchange
// counting as a mirror). The feed of 0 that the interpreter sets itself
// when a program ends is no word. An inverse-time rate is the move's length
// over its time, which a controller's own scaling keeps: it is left here,
// and the times are compared (SameMovesAlongCurves).
std::vector<Move> Expected(const std::vector<Move>& moves, const Transform& t) {
  std::vector<Move> out = moves;
  int plane = 17;
  bool inverse_time = false;
  for (Move& move : out) {
    std::vector<double>& v = move.values;
    if (move.kind == "SELECT_PLANE") {
      plane = static_cast<int>(v[0]);
      if (t.exchange && plane != 17) v[0] = plane == 18 ? 19 : 18;
    }
    if (move.kind == "INVERSE_TIME") inverse_time = v[0] != 0;
    if (move.kind == "SET_FEED_RATE" && v[0] != 0 && !inverse_time) v[0] = v[0] * t.feed + t.feed_add;
    if (move.kind == "SET_SPINDLE_SPEED") v.back() += t.spindle_add;
    auto point = [&](double& x, double& y) {
      const double new_x = t.exchange ? y * t.y : x * t.x;
      const double new_y = t.exchange ? x * t.x : y * t.y;
      x = new_x;
      y = new_y;
    };
    if ((move.kind == "STRAIGHT_TRAVERSE" || move.kind == "STRAIGHT_FEED") && v.size() >= 3) {
      point(v[0], v[1]);
      v[2] *= t.z;
    }
    if (move.kind == "ARC_FEED" && v.size() >= 6) {
      // The end and the centre in X, Y and Z, mapped, and read in the
      // plane the arc lands in.
      const int* axes = kPlaneAxes[plane - 17];
      double end[3];
      double centre[3] = {0, 0, 0};
      end[axes[0]] = v[0], end[axes[1]] = v[1], end[axes[2]] = v[5];
      centre[axes[0]] = v[2], centre[axes[1]] = v[3];
      const double scales[3] = {t.x, t.y, t.z};
      const auto map = [&](double* p) {
        for (int a = 0; a < 3; ++a) p[a] *= scales[a];
        if (t.exchange) std::swap(p[0], p[1]);
      };
      map(end);
      map(centre);
      const int landed = t.exchange && plane != 17 ? (plane == 18 ? 19 : 18) : plane;
      const int* to = kPlaneAxes[landed - 17];
      v[0] = end[to[0]], v[1] = end[to[1]], v[5] = end[to[2]];
      v[2] = centre[to[0]], v[3] = centre[to[1]];
      const double turned = (t.exchange ? -1 : 1) * scales[axes[0]] * scales[axes[1]];
      if (turned < 0) v[4] = -v[4];
    }
  }
  return out;
}

class Rs274Interop : public ::testing::TestWithParam<std::string> {};

TEST_P(Rs274Interop, ConvertedProgramMovesAsTheSettingsSay) {
  ASSERT_TRUE(std::filesystem::exists(kInterpreter)) << "rs274 missing: scripts/install-deps.sh installs linuxcnc-uspace";
  ProgramFolder program;
  const std::string name = GetParam();
  std::filesystem::copy_file(std::string(KIVREL_INTEROP_PROGRAMS) + "/" + name, program.Job(name));
  const std::vector<Move> original = Interpret(program.Job(name));
  ASSERT_GE(original.size(), 4u);

  for (bool exchange : {false, true}) {
    SCOPED_TRACE(exchange ? "exchange on" : "exchange off");
    program.Settings({"2", "2", "1", "1", "1", exchange ? "True" : "False", "0", "0.", "EOF"});
    const ProgramRun filtered = program.Filter({program.Job(name)});
    ASSERT_EQ(filtered.status, 0) << filtered.errors;
    const std::string converted = program.Job("converted.ngc");
    WriteFile(converted, filtered.output);
    const std::vector<Move> moves = Interpret(converted);
    ASSERT_EQ(moves.size(), original.size());
    const std::vector<Move> all_expected = Expected(original, Transform{2, 2, 1, exchange});
    for (std::size_t i = 0; i < moves.size(); ++i) {
      const Move& expected = all_expected[i];
      EXPECT_EQ(moves[i].kind, expected.kind) << "move " << i;
      ASSERT_EQ(moves[i].values.size(), expected.values.size());
      for (std::size_t v = 0; v < expected.values.size(); ++v) {
        EXPECT_NEAR(moves[i].values[v], expected.values[v], 0.00005) << "move " << i << " value " << v;
      }
    }
  }
}

// A G53 move goes to a position on the machine, which no setting touches,
// and keeps the axes it does not name where the converted program has them:
// such a move is marked by a comment after its G53 and not judged (the
// moves after it give their ends in full).
constexpr const char* kMachineMark = "KIVREL MACHINE MOVE";

std::string MarkMachineMoves(const std::string& text) {
  std::string marked;
  for (std::size_t i = 0; i < text.size(); ++i) {
    marked += text[i];
    if ((text[i] != 'G' && text[i] != 'g') || i + 2 >= text.size()) continue;
    std::size_t at = i + 1;
    while (at < text.size() && text[at] == '0') ++at;
    if (text.compare(at, 2, "53") != 0 || (at + 2 < text.size() && (std::isdigit(static_cast<unsigned char>(text[at + 2])) || text[at + 2] == '.'))) {
      continue;
    }
    marked.append(text, i + 1, at + 2 - (i + 1));
    marked += std::string(" (") + kMachineMark + ") ";
    i = at + 1;
  }
  return marked;
}

// `magnification`: how far the settings enlarge what the interpreter prints
// of the input, rounded to four decimals.
bool SameMoves(const std::vector<Move>& a, const std::vector<Move>& b, double magnification = 1) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].values.size() != b[i].values.size()) return false;
    // The units a conversion to millimetres or inches names differ.
    if (a[i].kind == "MACHINE_MOVE" || a[i].kind == "UNITS") continue;
    const std::vector<double>& x = a[i].values;
    const std::vector<double>& y = b[i].values;
    // The input's numbers are printed to four decimals: magnified, their
    // last place grows with them.
    const double printed = 5e-5 * std::max(0.0, magnification - 1);
    auto near = [&](double p, double q) { return std::fabs(p - q) <= 2e-4 + printed + 1e-6 * std::fabs(q); };
    for (std::size_t v = 0; v < x.size(); ++v) {
      // An arc's centre comes from its radius where the program gives one:
      // near a half circle the end points, written to four decimals, move
      // it along the chord's bisector far more than that, while the radius
      // stays. Such a centre must keep the arc's radius.
      if (a[i].kind == "ARC_FEED" && (v == 2 || v == 3) && !near(x[v], y[v])) {
        const double radius_x = std::hypot(x[0] - x[2], x[1] - x[3]);
        const double radius_y = std::hypot(y[0] - y[2], y[1] - y[3]);
        if (std::fabs(radius_x - radius_y) > 5e-4 * std::max(1.0, magnification) + 1e-5 * radius_y) return false;
        continue;
      }
      if (!near(x[v], y[v])) return false;
    }
  }
  return true;
}

// A peck drilling cycle (G73, G83) keeps its Q, the depth of each peck, as a
// controller that scales the part does: its hole goes to the scaled depth,
// in another number of pecks. Where one X and Y position takes more than
// one feed downwards in a row of straight moves, that row is judged by its
// first move, its deepest point and its last move.
std::vector<Move> WithoutPecks(const std::vector<Move>& moves) {
  auto straight = [](const Move& move) {
    return (move.kind == "STRAIGHT_TRAVERSE" || move.kind == "STRAIGHT_FEED") && move.values.size() >= 3;
  };
  std::vector<Move> out;
  for (std::size_t i = 0; i < moves.size();) {
    std::size_t end = i + 1;
    int downwards = 0;
    std::size_t deepest = i;
    while (straight(moves[i]) && end < moves.size() && straight(moves[end]) &&
           moves[end].values[0] == moves[i].values[0] && moves[end].values[1] == moves[i].values[1]) {
      if (moves[end].kind == "STRAIGHT_FEED" && moves[end].values[2] < moves[end - 1].values[2]) ++downwards;
      if (moves[end].values[2] < moves[deepest].values[2]) deepest = end;
      ++end;
    }
    if (downwards > 1) {
      out.push_back(moves[i]);
      if (deepest != i && deepest != end - 1) out.push_back(moves[deepest]);
      out.push_back(moves[end - 1]);
    } else {
      out.insert(out.end(), moves.begin() + static_cast<std::ptrdiff_t>(i), moves.begin() + static_cast<std::ptrdiff_t>(end));
    }
    i = end;
  }
  return out;
}

// Where `moves` first part from `expected`, for the failure message.
std::string FirstDifference(const std::vector<Move>& moves, const std::vector<Move>& expected, double magnification) {
  auto text = [](const Move& move) {
    std::ostringstream out;
    out << move.kind << "(";
    for (std::size_t v = 0; v < move.values.size(); ++v) out << (v > 0 ? ", " : "") << move.values[v];
    return out.str() + ")";
  };
  for (std::size_t i = 0; i < std::max(moves.size(), expected.size()); ++i) {
    const std::vector<Move> one{i < moves.size() ? moves[i] : Move{"(none)", {}}};
    const std::vector<Move> other{i < expected.size() ? expected[i] : Move{"(none)", {}}};
    if (!SameMoves(one, other, magnification)) {
      return "; first at move " + std::to_string(i) + ": " + text(one[0]) + ", expected " + text(other[0]);
    }
  }
  return "";
}

// What the interpreter made of a program: its moves, a refusal, or no
// answer in time. A loaded machine may slow it down, but must not make a
// refusal of it.
struct Interpretation {
  enum Outcome { kRead, kRefused, kTimedOut } outcome = kRefused;
  std::vector<Move> moves;
};

Interpretation TryInterpret(const std::string& file, const std::string& tool_table) {
  Interpretation result;
  ProgramRun run;
  // timeout(1) exits 124 when the limit ran out; then once more with a
  // longer one.
  for (const char* seconds : {"20", "180"}) {
    run = RunProgramAt("/usr/bin/timeout", {seconds, kInterpreter, "-t", tool_table, "-g", file},
                       std::filesystem::path(file).parent_path().string(), HomeOf(file));
    if (run.status != 124) break;
  }
  if (run.status == 124) result.outcome = Interpretation::kTimedOut;
  if (run.status != 0) return result;
  result.outcome = Interpretation::kRead;
  std::vector<Move>& moves = result.moves;
  std::istringstream lines(run.output);
  std::string line;
  bool machine = false;  // the next move is a G53 move
  while (std::getline(lines, line)) {
    // "   12 N..... NAME(arguments)", or with the line's own N number in
    // place of the dots.
    const std::size_t open = line.find('(');
    const std::size_t n = line.find(" N");
    if (n == std::string::npos || open == std::string::npos || n > open) continue;
    const std::size_t kind_at = line.find_first_not_of(' ', line.find(' ', n + 1));
    if (kind_at == std::string::npos || kind_at > open) continue;
    const std::string kind = line.substr(kind_at, open - kind_at);
    // The interpreter's own word on the feed mode.
    if (kind == "COMMENT" && line.find("interpreter: feed mode set to") != std::string::npos) {
      moves.push_back({"INVERSE_TIME", {line.find("inverse time") != std::string::npos ? 1.0 : 0.0}});
      continue;
    }
    if (kind == "COMMENT" && line.find(kMachineMark) != std::string::npos) {
      machine = true;
      continue;
    }
    if (kind == "USE_LENGTH_UNITS") {
      moves.push_back({"UNITS", {line.find("INCHES") != std::string::npos ? 1.0 : 0.0}});
      continue;
    }
    const bool machine_move = machine && (kind == "STRAIGHT_TRAVERSE" || kind == "STRAIGHT_FEED");
    machine = machine && !machine_move;
    if (kind == "SELECT_PLANE") {
      const std::string name = line.substr(open + 1, line.rfind(')') - open - 1);
      moves.push_back({kind, {name == "CANON_PLANE_XZ" ? 18.0 : name == "CANON_PLANE_YZ" ? 19.0 : 17.0}});
      continue;
    }
    if (kind != "STRAIGHT_TRAVERSE" && kind != "STRAIGHT_FEED" && kind != "ARC_FEED" && kind != "SET_FEED_RATE" &&
        kind != "SET_SPINDLE_SPEED") {
      continue;
    }
    Move move{machine_move ? "MACHINE_MOVE" : kind, {}};
    std::stringstream arguments(line.substr(open + 1, line.rfind(')') - open - 1));
    std::string value;
    while (std::getline(arguments, value, ',')) move.values.push_back(std::stod(value));
    moves.push_back(move);
  }
  return result;
}

// Where a move leaves the tool, in X, Y and Z, in the plane it runs in.
void Follow(const Move& move, int plane, double at[3]) {
  if (move.values.size() < 6) return;
  if (move.kind == "ARC_FEED") {
    const int* axes = kPlaneAxes[plane - 17];
    at[axes[0]] = move.values[0], at[axes[1]] = move.values[1], at[axes[2]] = move.values[5];
  } else if (move.kind == "STRAIGHT_TRAVERSE" || move.kind == "STRAIGHT_FEED" || move.kind == "MACHINE_MOVE") {
    std::copy(move.values.begin(), move.values.begin() + 3, at);
  }
}

// The point at the fraction `u` of a move from `at`, in X, Y and Z.
void PointOf(const Move& move, int plane, const double at[3], double u, double point[3]) {
  double end[3] = {at[0], at[1], at[2]};
  Follow(move, plane, end);
  if (move.kind != "ARC_FEED") {
    for (int a = 0; a < 3; ++a) point[a] = at[a] + (end[a] - at[a]) * u;
    return;
  }
  const int* axes = kPlaneAxes[plane - 17];
  const double a[3] = {at[axes[0]], at[axes[1]], at[axes[2]]};
  const double b[3] = {end[axes[0]], end[axes[1]], end[axes[2]]};
  const double centre[2] = {move.values[2], move.values[3]};
  double in[3];
  ArcPoint(a, b, centre, static_cast<int>(move.values[4]), u, in);
  point[axes[0]] = in[0], point[axes[1]] = in[1], point[axes[2]] = in[2];
}

// The length of a move from `at` in X, Y and Z, as a feed is measured.
double LengthOf(const Move& move, int plane, const double at[3]) {
  double length = 0;
  double last[3] = {at[0], at[1], at[2]};
  const int steps = move.kind == "ARC_FEED" ? 64 : 1;
  for (int k = 1; k <= steps; ++k) {
    double point[3];
    PointOf(move, plane, at, static_cast<double>(k) / steps, point);
    length += std::hypot(std::hypot(point[0] - last[0], point[1] - last[1]), point[2] - last[2]);
    std::copy(point, point + 3, last);
  }
  return length;
}

// `after` moves as `before` does under `t`, each arc along the image of the
// input's arc: a run of arcs (or straight moves) of the converted program
// that stay within the output's last place of that curve, as far as the
// printed numbers tell, and end where the image does. Under inverse-time
// feed each move takes the time it took, as under a controller's own
// scaling. Everything else as SameMoves judges it. `why` tells where not.
// NOLINTNEXTLINE(readability-function-size): one walk along both paths
bool SameMovesAlongCurves(const std::vector<Move>& after, const std::vector<Move>& before, const Transform& t,
                          double magnification, std::string& why) {
  const std::vector<Move> expected = Expected(before, t);
  double from[3] = {0, 0, 0};  // where the input's tool stands
  double at[3] = {0, 0, 0};    // where the converted program's does
  int plane_before = 17;
  int plane_after = 17;
  bool inches = false;
  bool inverse_time = false;
  double rate_before = 0;
  double rate_after = 0;
  // A time under inverse-time feed against the input's.
  // The lengths come from positions printed to four decimals.
  const auto same_time = [&](double time, double original, double length, std::size_t i) {
    if (!inverse_time || std::fabs(time - original) <= (1e-3 + 2e-4 / std::max(length, 1e-6)) * original) return true;
    why = "move " + std::to_string(i) + " takes " + std::to_string(time) + " minutes, not " + std::to_string(original);
    return false;
  };
  const auto time = [](double length, double rate) { return rate > 0 ? length / rate : 0; };
  std::size_t j = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const Move& original = before[i];
    // The units: the interpreter names them where they change, which a
    // conversion of units changes.
    while (j < after.size() && after[j].kind == "UNITS") inches = after[j++].values[0] != 0;
    if (original.kind == "UNITS") continue;
    if (original.kind == "INVERSE_TIME") inverse_time = original.values[0] != 0;
    if (original.kind != "ARC_FEED" || original.values.size() < 6) {
      if (j >= after.size()) {
        why = "the converted program ends early, at move " + std::to_string(i);
        return false;
      }
      // An inverse-time rate follows the move's length; its time is judged.
      const bool rate = inverse_time && original.kind == "SET_FEED_RATE";
      if (rate ? after[j].kind != original.kind : !SameMoves({after[j]}, {expected[i]}, magnification)) {
        why = "move " + std::to_string(j) + FirstDifference({after[j]}, {expected[i]}, magnification);
        return false;
      }
      if (rate) {
        rate_before = original.values[0];
        rate_after = after[j].values[0];
      }
      if (original.kind == "STRAIGHT_FEED") {
        const double length = LengthOf(original, plane_before, from);
        if (!same_time(time(LengthOf(after[j], plane_after, at), rate_after), time(length, rate_before), length, i)) {
          return false;
        }
      }
      if (original.kind == "SELECT_PLANE") plane_before = static_cast<int>(original.values[0]);
      if (after[j].kind == "SELECT_PLANE") plane_after = static_cast<int>(after[j].values[0]);
      Follow(original, plane_before, from);
      Follow(after[j++], plane_after, at);
      continue;
    }
    // The image of the input's arc, in X, Y and Z.
    const double scales[3] = {t.x, t.y, t.z};
    const auto curve = [&](double u, double point[3]) {
      PointOf(original, plane_before, from, u, point);
      for (int a = 0; a < 3; ++a) point[a] *= scales[a];
      if (t.exchange) std::swap(point[0], point[1]);
    };
    const CurveDistance distance(curve);
    double image_end[3];
    curve(1, image_end);
    // The output's last place, and the input's and the output's printed
    // ones (four decimals), magnified with the input's.
    const double allowed = (inches ? 0.0001 : 0.001) + 1.5e-4 * (1 + magnification);
    double taken = 0;  // the pieces' time under inverse-time feed
    for (int pieces = 0;; ++pieces) {
      // Under inverse-time feed each piece brings its own rate.
      while (j < after.size() && after[j].kind == "SET_FEED_RATE" && pieces > 0) rate_after = after[j++].values[0];
      if (j >= after.size() || pieces == 5000 || (after[j].kind != "ARC_FEED" && after[j].kind != "STRAIGHT_FEED")) {
        why = "the arc of move " + std::to_string(i) + " does not reach the image's end";
        return false;
      }
      const Move& piece = after[j++];
      taken += time(LengthOf(piece, plane_after, at), rate_after);
      for (int k = 0; k <= 50; ++k) {
        double point[3];
        PointOf(piece, plane_after, at, k / 50.0, point);
        if (distance(point) > allowed) {
          why = "move " + std::to_string(j - 1) + " lies " + std::to_string(distance(point)) +
                " from the image of the arc of move " + std::to_string(i);
          return false;
        }
      }
      Follow(piece, plane_after, at);
      const auto from_end = [&](const double* p) {
        return std::hypot(std::hypot(p[0] - image_end[0], p[1] - image_end[1]), p[2] - image_end[2]);
      };
      if (from_end(at) > allowed) continue;
      // Near the end: a short piece more that stays on the curve and comes
      // nearer still is the arc's too.
      bool more = j < after.size() && (after[j].kind == "ARC_FEED" || after[j].kind == "STRAIGHT_FEED");
      double next_end[3] = {at[0], at[1], at[2]};
      if (more) Follow(after[j], plane_after, next_end);
      more = more && from_end(next_end) < from_end(at) - 1e-9;
      for (int k = 0; more && k <= 50; ++k) {
        double point[3];
        PointOf(after[j], plane_after, at, k / 50.0, point);
        more = distance(point) <= allowed;
      }
      if (!more) break;
    }
    const double length = LengthOf(original, plane_before, from);
    if (!same_time(taken, time(length, rate_before), length, i)) return false;
    Follow(original, plane_before, from);
  }
  while (j < after.size() && after[j].kind == "UNITS") ++j;
  if (j != after.size()) why = "the converted program moves more";
  return j == after.size();
}

// Settings to convert every sample with, and where they must take its moves,
// feeds and spindle speeds.
struct SampleSettings {
  const char* name;
  std::vector<std::string> settings;
  Transform expected;
  bool rates_only;  // compare the feed rates and spindle speeds alone
  int least_exact;  // of the samples the interpreter reads, this many at least come out exact
  bool along_curves = false;  // arcs are judged along the image of the input's arc
  double most_growth = 0;     // the converted samples hold at most this many times the input's lines (0: any)
};

std::size_t LinesOf(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// The feed rates and spindle speeds among `moves`.
std::vector<Move> Rates(const std::vector<Move>& moves) {
  std::vector<Move> rates;
  for (const Move& move : moves) {
    if (move.kind == "SET_FEED_RATE" || move.kind == "SET_SPINDLE_SPEED") rates.push_back(move);
  }
  return rates;
}

class Rs274Samples : public ::testing::TestWithParam<SampleSettings> {};

// Each sample's own moves, interpreted once for all the settings where they
// run in one process (ctest starts them so); an answer that did not come in
// time is asked for again.
Interpretation InterpretSample(const std::string& sample, const std::string& copy, const std::string& tools) {
  static std::map<std::string, Interpretation> interpreted;
  const auto known = interpreted.find(sample);
  if (known != interpreted.end()) return known->second;
  Interpretation interpretation = TryInterpret(copy, tools);
  if (interpretation.outcome != Interpretation::kTimedOut) interpreted.emplace(sample, interpretation);
  return interpretation;
}

// Every .ngc sample that LinuxCNC ships and its interpreter reads, converted
// under each of the settings: the interpreter moves the converted program
// exactly as the settings say, or kivrel-filter said why it could not.
TEST_P(Rs274Samples, EverySampleConvertsExactlyOrWithANotice) {
  std::vector<std::filesystem::path> samples;
  for (const char* root : {"/usr/share/linuxcnc", "/usr/share/doc/linuxcnc", "/usr/share/axis"}) {
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator entry(root, ec), end; !ec && entry != end; entry.increment(ec)) {
      if (entry->path().extension() == ".ngc") samples.push_back(entry->path());
    }
  }
  std::sort(samples.begin(), samples.end());
  ASSERT_GT(samples.size(), 100u) << "LinuxCNC's samples are missing: scripts/install-deps.sh installs linuxcnc-uspace";
  ProgramFolder program;
  program.Settings(GetParam().settings);
  // Tools of no size: cutter compensation and length offsets, which follow
  // the real tool and rightly do not scale, then add nothing to the moves.
  const std::string tools = program.Path("zero.tbl");
  std::string table;
  for (int tool = 0; tool < 100; ++tool) table += "T" + std::to_string(tool) + " P" + std::to_string(tool) + " D0 Z0\n";
  WriteFile(tools, table);
  int read = 0;
  int exact = 0;
  int noticed = 0;
  int other = 0;
  std::vector<std::string> timed_out;  // samples the interpreter gave no answer for in time
  std::size_t input_lines = 0;
  std::size_t output_lines = 0;
  for (const std::filesystem::path& sample : samples) {
    // A copy of its own, so that the original and the converted program
    // find the same files around them, its G53 moves marked.
    const std::string original = program.Job(sample.filename().string());
    WriteFile(original, MarkMachineMoves(ReadFile(sample.string())));
    const Interpretation before = InterpretSample(sample.string(), original, tools);
    if (before.outcome == Interpretation::kTimedOut) {
      timed_out.push_back(sample.filename().string());
      std::cout << "[ timed out] " << sample.filename().string() << ": the interpreter gave no answer in time\n";
    }
    if (before.outcome != Interpretation::kRead) continue;
    ++read;
    const ProgramRun filtered = program.Filter({original});
    input_lines += LinesOf(ReadFile(original));
    output_lines += LinesOf(filtered.output);
    const bool notice = filtered.errors.find("Kivrel: warning: ") != std::string::npos;
    if (filtered.status != 0) {
      ADD_FAILURE() << sample << ": the filter ended with status " << filtered.status << ": " << filtered.errors;
      ++other;
      continue;
    }
    const std::string converted = program.Job("converted-" + sample.filename().string());
    WriteFile(converted, filtered.output);
    const Interpretation after = TryInterpret(converted, tools);
    const std::vector<Move> expected = Expected(before.moves, GetParam().expected);
    const bool rates_only = GetParam().rates_only;
    const double magnification = std::max({std::fabs(GetParam().expected.x), std::fabs(GetParam().expected.y),
                                           std::fabs(GetParam().expected.z)});
    const bool read_after = after.outcome == Interpretation::kRead;
    std::string why;  // where the converted program parts from the expected moves
    if (after.outcome == Interpretation::kTimedOut) {
      timed_out.push_back("converted " + sample.filename().string());
      std::cout << "[ timed out] converted " << sample.filename().string() << ": not exact\n";
    } else if (read_after && (GetParam().along_curves
                                  ? SameMovesAlongCurves(WithoutPecks(after.moves), WithoutPecks(before.moves),
                                                         GetParam().expected, magnification, why)
                                  : SameMoves(rates_only ? Rates(after.moves) : WithoutPecks(after.moves),
                                              rates_only ? Rates(expected) : WithoutPecks(expected), magnification))) {
      ++exact;
    } else if (notice) {
      ++noticed;
      const std::size_t at = filtered.errors.find("Kivrel: warning: ");
      std::cout << "[ noticed  ] " << sample.filename().string() << ": "
                << filtered.errors.substr(at + 17, filtered.errors.find('\n', at) - at - 17) << " (" << why << ")\n";
    } else {
      ADD_FAILURE() << sample << (read_after ? ": moves differently" : ": the interpreter rejects the converted program")
                    << ", and no notice said why"
                    << (GetParam().along_curves ? ": " + why : FirstDifference(after.moves, expected, magnification));
      ++other;
    }
  }
  std::cout << "[ samples  ] " << read << " read by rs274: " << exact << " exact, " << noticed << " noticed, "
            << other << " other, " << timed_out.size() << " timed out; " << input_lines << " lines in, " << output_lines
            << " out\n";
  if (GetParam().most_growth != 0) {
    EXPECT_LE(static_cast<double>(output_lines), GetParam().most_growth * static_cast<double>(input_lines));
  }
  EXPECT_GT(read, 100);
  EXPECT_EQ(other, 0);
  // A sample the interpreter gave no answer for in time is not exact: the
  // count must be reached without it.
  std::string late;
  for (const std::string& name : timed_out) late += " " + name;
  EXPECT_GE(exact, GetParam().least_exact) << timed_out.size() << " timed out:" << late;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Rs274Samples,
    // With scales of 1 the moves stay; only their rates are judged, since a
    // number of more than four decimals is written rounded to four whatever
    // the settings (arcspiral.ngc's radius arcs then find their centres a
    // few ten-thousandths away).
    // The parameter file's lines: Y, X, Z, A, feed multiplier, exchange,
    // feed addend, spindle addend.
    ::testing::Values(
        SampleSettings{"scales", {"2", "2", "2", "1", "1", "False", "0", "0.", "EOF"}, {2, 2, 2}, false, 190, true},
        SampleSettings{"feeds", {"1", "1", "1", "1", "2", "False", "5", "100.", "EOF"}, {1, 1, 1, false, 2, 5, 100}, true, 190},
        SampleSettings{"mirror", {"1", "-1", "1", "1", "1", "False", "0", "0.", "EOF"}, {-1, 1, 1}, false, 185, true},
        SampleSettings{"exchange", {"1", "1", "1", "1", "1", "True", "0", "0.", "EOF"}, {1, 1, 1, true}, false, 185, true},
        SampleSettings{"rotation", {"-1", "1", "1", "1", "1", "True", "0", "0.", "EOF"}, {1, -1, 1, true}, false, 185, true},
        SampleSettings{"inches", {"25.4", "25.4", "25.4", "1", "25.4", "False", "0", "0.", "EOF"},
                       {25.4, 25.4, 25.4, false, 25.4}, false, 185, true},
        SampleSettings{"half", {"0.5", "0.5", "0.5", "1", "1", "False", "0", "0.", "EOF"}, {0.5, 0.5, 0.5}, false, 185, true},
        // Unequal scales: a machine's calibration and a stretch. Arcs come
        // out as pieces along their image.
        SampleSettings{"calibration", {"0.998", "1.002", "1", "1", "1", "False", "0", "0.", "EOF"},
                       {1.002, 0.998, 1}, false, 189, true, 3},
        SampleSettings{"stretch", {"3", "2", "1", "1", "1", "False", "0", "0.", "EOF"}, {2, 3, 1}, false, 188, true}),
    [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(Programs, Rs274Interop,
                         ::testing::Values("moves.ngc", "arcs.ngc", "comments.ngc", "percent.ngc", "blanks.ngc"),
                         [](const auto& test) { return test.param.substr(0, test.param.find('.')); });

}  // namespace
}  // namespace kivrel::testing
