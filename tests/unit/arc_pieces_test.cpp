// Arcs under unequal scales cut into circular pieces, held against a plain
// computation of the scaled curve.
#include "transform/rewrite/arc_pieces.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "support/curve_distance.h"

namespace kivrel {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct CutCase {
  const char* name;
  double radius;
  double start_angle, sweep;  // degrees; negative sweeps run clockwise
  double centre[2];
  double normal_from, normal_to;  // a helix where they differ
  double m[2][2];                 // the map
  double normal_scale;
  double tolerance;
  std::size_t most_pieces;        // a cut may need no more
  double end_radius = 0;          // an end this much farther from the centre than the start
};

std::ostream& operator<<(std::ostream& out, const CutCase& c) { return out << c.name; }

// The curve written out plainly: the program's arc at the fraction `t` of
// its angle, its radius and normal even along it, mapped.
void Plain(const CutCase& c, double t, double out[3]) {
  const double angle = (c.start_angle + c.sweep * t) * kPi / 180;
  const double radius = c.radius + c.end_radius * t;
  const double x = c.centre[0] + radius * std::cos(angle);
  const double y = c.centre[1] + radius * std::sin(angle);
  out[0] = c.m[0][0] * x + c.m[0][1] * y;
  out[1] = c.m[1][0] * x + c.m[1][1] * y;
  out[2] = c.normal_scale * (c.normal_from + (c.normal_to - c.normal_from) * t);
}

ArcCut CutOf(const CutCase& c) {
  ArcCut cut{};
  const double a0 = c.start_angle * kPi / 180;
  const double a1 = (c.start_angle + c.sweep) * kPi / 180;
  const double r1 = c.radius + c.end_radius;
  cut.arc = {{c.centre[0] + c.radius * std::cos(a0), c.centre[1] + c.radius * std::sin(a0), c.normal_from},
             {c.centre[0] + r1 * std::cos(a1), c.centre[1] + r1 * std::sin(a1), c.normal_to},
             {c.centre[0], c.centre[1]},
             c.sweep < 0,
             1 + static_cast<int>((std::fabs(c.sweep) - 1e-9) / 360)};
  std::copy(&c.m[0][0], &c.m[0][0] + 4, &cut.map.m[0][0]);
  cut.map.normal = c.normal_scale;
  cut.tolerance = c.tolerance;
  double start[3];
  double end[3];
  Plain(c, 0, start);
  Plain(c, 1, end);
  for (int a = 0; a < 3; ++a) {
    cut.start[a] = RoundWritten(start[a], kFourDecimals);
    cut.end[a] = RoundWritten(end[a], kFourDecimals);
  }
  return cut;
}

class ArcPiecesTest : public ::testing::TestWithParam<CutCase> {};

// Each piece, run as the interpreter runs it (its radius and normal even
// along its angle from the written start to the written end around the
// written centre), stays within the tolerance of the curve; the pieces
// join, the last ends where the rules write the end, all turn one way.
TEST_P(ArcPiecesTest, FollowTheScaledCurve) {
  const CutCase& c = GetParam();
  const ArcCut cut = CutOf(c);
  std::vector<ArcPiece> pieces(4096);
  const std::size_t count = CutArc(cut, pieces.data(), pieces.size());
  ASSERT_GT(count, 0u);
  EXPECT_LE(count, c.most_pieces);
  const testing::CurveDistance distance([&](double t, double point[3]) { Plain(c, t, point); });
  const bool clockwise = (c.sweep < 0) != (c.m[0][0] * c.m[1][1] - c.m[0][1] * c.m[1][0] < 0);
  EXPECT_EQ(ClockwiseImage(cut), clockwise);
  double at[3] = {ValueOf(cut.start[0]), ValueOf(cut.start[1]), ValueOf(cut.start[2])};
  double worst = 0;
  for (std::size_t p = 0; p < count; ++p) {
    const double end[3] = {ValueOf(pieces[p].end[0]), ValueOf(pieces[p].end[1]), ValueOf(pieces[p].end[2])};
    const double cx = ValueOf(pieces[p].centre[0]), cy = ValueOf(pieces[p].centre[1]);
    const double a0 = std::atan2(at[1] - cy, at[0] - cx);
    double swept = std::atan2(end[1] - cy, end[0] - cx) - a0;
    if (clockwise) swept = -swept;
    while (swept <= 0) swept += 2 * kPi;
    ASSERT_LT(swept, kPi) << "piece " << p << " turns the wrong way or too far";
    const double r0 = std::hypot(at[0] - cx, at[1] - cy), r1 = std::hypot(end[0] - cx, end[1] - cy);
    for (int k = 0; k <= 200; ++k) {
      const double u = k / 200.0;
      const double angle = a0 + (clockwise ? -swept : swept) * u;
      const double r = r0 + (r1 - r0) * u;
      const double point[3] = {cx + r * std::cos(angle), cy + r * std::sin(angle), at[2] + (end[2] - at[2]) * u};
      worst = std::max(worst, distance(point));
    }
    std::copy(end, end + 3, at);
  }
  for (int a = 0; a < 3; ++a) EXPECT_EQ(pieces[count - 1].end[a], cut.end[a]);
  EXPECT_LE(worst, c.tolerance) << count << " pieces";
}

constexpr double kCalibration[2][2] = {{1.002, 0}, {0, 0.998}};

INSTANTIATE_TEST_SUITE_P(
    Kinds, ArcPiecesTest,
    ::testing::Values(
        // A machine's calibration: a typical arc takes a few pieces.
        CutCase{"quarter_under_calibration", 10, 0, 90, {5, 5}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1, 0.001, 3},
        CutCase{"half_clockwise_under_calibration", 25, 180, -180, {0, 0}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1,
                0.001, 6},
        // (A circle of 80 mm: its image parts from any one circle by 0.16 mm,
        // and each quadrant between the axes is cut apart.)
        CutCase{"full_circle_under_calibration", 40, 30, 360, {-20, 100}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1, 0.001,
                16},
        // A stretch that makes an ellipse of it, and a mirror with it.
        CutCase{"stretched", 20, 45, 270, {0, 0}, 0, 0, {{2, 0}, {0, 3}}, 1, 0.001, 200},
        CutCase{"stretched_and_mirrored", 5, -30, -120, {1, 2}, 0, 0, {{-2, 0}, {0, 3}}, 1, 0.001, 100},
        // The exchange takes X to Y: the map trades the axes.
        CutCase{"exchanged", 8, 10, 100, {3, 4}, 0, 0, {{0, 0.998}, {1.002, 0}}, 1, 0.001, 4},
        // Two turns of a helix, the normal scaled too.
        CutCase{"helix_of_two_turns", 6, 0, 720, {0, 0}, 0, -5, {{1.002, 0}, {0, 0.998}}, 2, 0.001, 30},
        // An inch program: its tolerance is the output's last place.
        CutCase{"inches", 1.5, 200, -75, {0.25, -0.5}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1, 0.0001, 8},
        // The interpreter moves evenly from one radius to the other.
        CutCase{"ends_at_different_radii", 10, 0, 120, {0, 0}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1, 0.001, 6, 0.01},
        // Large and small.
        CutCase{"large", 500, 10, 60, {1000, -1000}, 0, 0, {{1.002, 0}, {0, 0.998}}, 1, 0.001, 12},
        CutCase{"small", 0.05, 90, 180, {0, 0}, 0, 0, {{2, 0}, {0, 3}}, 1, 0.001, 12}),
    [](const auto& test) { return std::string(test.param.name); });

// An arc too short to hold a piece's centre fails the cut: the rules' words
// stay then.
TEST(ArcPieces, ATooSmallArcIsNotCut) {
  CutCase c{"tiny", 0.00002, 0, 90, {0, 0}, 0, 0, {{2, 0}, {0, 3}}, 1, 0.000001, 1};
  ArcCut cut = CutOf(c);
  ArcPiece pieces[16];
  EXPECT_EQ(CutArc(cut, pieces, 16), 0u);
}

}  // namespace
}  // namespace kivrel
