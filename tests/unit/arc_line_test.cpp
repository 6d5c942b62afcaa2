// Arcs under unequal scales, line by line: each kind of arc comes out as
// pieces that, run as the interpreter runs them, follow the plain image of
// the program's arc under the settings.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/unit_factors.h"
#include "support/curve_distance.h"
#include "support/reference_transform.h"
#include "transform/process_line.h"

namespace kivrel {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A point given in a plane's coordinates (its two axes, then its normal) in
// X, Y, Z.
void FromPlane(int plane, const double in[3], double out[3]) {
  if (plane == 17) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
  } else if (plane == 18) {  // Z, X; Y
    out[2] = in[0], out[0] = in[1], out[1] = in[2];
  } else {  // Y, Z; X
    out[1] = in[0], out[2] = in[1], out[0] = in[2];
  }
}
void ToPlane(int plane, const double in[3], double out[3]) {
  if (plane == 17) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
  } else if (plane == 18) {
    out[0] = in[2], out[1] = in[0], out[2] = in[1];
  } else {
    out[0] = in[1], out[1] = in[2], out[2] = in[0];
  }
}

// The moves of a converted program as the interpreter runs them, sampled;
// and how long they take under inverse-time feed.
class Interpreter {
 public:
  void Run(const std::string& line, bool measure) {
    std::vector<double> g;
    bool has[26] = {};
    double word[26] = {};
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '(') {
        i = line.find(')', i);
        if (i == std::string::npos) break;
        continue;
      }
      if (c == ';') break;
      if (c < 'A' || c > 'Z') continue;
      char* end = nullptr;
      const double value = std::strtod(line.c_str() + i + 1, &end);
      if (c == 'G') g.push_back(value);
      has[c - 'A'] = true;
      word[c - 'A'] = value;
      i = static_cast<std::size_t>(end - line.c_str()) - 1;
    }
    for (double code : g) {
      if (code == 0 || code == 1 || code == 2 || code == 3) motion_ = static_cast<int>(code);
      if (code == 17 || code == 18 || code == 19) plane_ = static_cast<int>(code);
      if (code == 90) incremental_ = false;
      if (code == 91) incremental_ = true;
      if (std::fabs(code - 90.1) < 1e-9) absolute_centres_ = true;
      if (std::fabs(code - 91.1) < 1e-9) absolute_centres_ = false;
      if (code == 93) inverse_time_ = true;
      if (code == 94) inverse_time_ = false;
    }
    if (!has['X' - 'A'] && !has['Y' - 'A'] && !has['Z' - 'A']) return;
    double end[3];
    for (int a = 0; a < 3; ++a) {
      const int letter = "XYZ"[a] - 'A';
      end[a] = !has[letter] ? at_[a] : incremental_ ? at_[a] + word[letter] : word[letter];
    }
    if (measure && inverse_time_) time_ += 1 / word['F' - 'A'];
    if (motion_ >= 2) {
      double a[3], b[3], centre[2];
      ToPlane(plane_, at_, a);
      ToPlane(plane_, end, b);
      const double ijk[3] = {word['I' - 'A'], word['J' - 'A'], word['K' - 'A']};
      double offset[3];
      ToPlane(plane_, ijk, offset);
      for (int c = 0; c < 2; ++c) centre[c] = absolute_centres_ ? offset[c] : a[c] + offset[c];
      for (int k = 0; measure && k <= 100; ++k) {
        double in[3];
        testing::ArcPoint(a, b, centre, motion_ == 2 ? -1 : 1, k / 100.0, in);
        std::array<double, 3> point;
        FromPlane(plane_, in, point.data());
        samples_.push_back(point);
      }
    }
    std::copy(end, end + 3, at_);
  }

  const std::vector<std::array<double, 3>>& samples() const { return samples_; }
  const double* at() const { return at_; }
  double time() const { return time_; }
  int motion() const { return motion_; }

 private:
  double at_[3] = {};
  int motion_ = 0;
  int plane_ = 17;
  bool incremental_ = false;
  bool absolute_centres_ = false;
  bool inverse_time_ = false;
  double time_ = 0;
  std::vector<std::array<double, 3>> samples_;
};

struct ArcCase {
  const char* name;
  std::vector<std::string> lines;  // the last one is the arc
  float x, y, z;
  bool exchange;
  // The program's arc: its plane, centre, radius at the start and the end,
  // the angle it starts at and sweeps (degrees, counter-clockwise
  // positive, whole turns included), and its normal at both ends.
  int plane;
  double centre[2];
  double radius, start_angle, sweep, normal_from, normal_to;
  double tolerance;
  std::size_t most_lines;  // a cut may take no more
};

std::ostream& operator<<(std::ostream& out, const ArcCase& c) { return out << c.name; }

constexpr float kMm = 1;  // the scales of a calibration and a stretch
constexpr double kMillimetre = 0.001;
constexpr double kInch = 0.0001;

class ArcLineTest : public ::testing::TestWithParam<ArcCase> {};

TEST_P(ArcLineTest, PiecesFollowTheImageOfTheArc) {
  const ArcCase& c = GetParam();
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = c.x;
  settings.YScale = c.y;
  settings.ZScale = c.z;
  settings.XYexchange = c.exchange;
  const float scale[3] = {c.x, c.y, c.z};
  // The plain image of a point of the program.
  const auto image = [&](const double p[3], double q[3]) {
    for (int a = 0; a < 3; ++a) q[a] = static_cast<double>(scale[a]) * p[a];
    if (c.exchange) std::swap(q[0], q[1]);
  };
  const auto arc_point = [&](double t, double q[3]) {
    const double angle = (c.start_angle + c.sweep * t) * kPi / 180;
    const double in[3] = {c.centre[0] + c.radius * std::cos(angle), c.centre[1] + c.radius * std::sin(angle),
                          c.normal_from + (c.normal_to - c.normal_from) * t};
    double p[3];
    FromPlane(c.plane, in, p);
    image(p, q);
  };
  LineProcessor processor(settings);
  Interpreter interpreter;
  std::string last;
  for (std::size_t l = 0; l < c.lines.size(); ++l) {
    std::string line = c.lines[l];
    ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done) << line;
    const bool arc = l + 1 == c.lines.size();
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 2) {
      end = line.find("\r\n", start);
      interpreter.Run(line.substr(start, end - start), arc);
    }
    if (arc) last = line;
  }
  ASSERT_TRUE(processor.arc_cut()) << last;
  EXPECT_LE(processor.extra_lines() + 1, c.most_lines) << last;
  // Every piece turns one way: the image's.
  const int mirrors = (c.x < 0 ? 1 : 0) + (c.y < 0 ? 1 : 0) + (c.z < 0 ? 1 : 0) + (c.exchange ? 1 : 0);
  const bool clockwise = (c.sweep < 0) != (mirrors % 2 == 1);
  EXPECT_EQ(interpreter.motion(), clockwise ? 2 : 3) << last;
  const testing::CurveDistance distance(arc_point);
  double worst = 0;
  for (const auto& point : interpreter.samples()) worst = std::max(worst, distance(point.data()));
  EXPECT_LE(worst, c.tolerance) << last;
  // The last piece ends where the rules write the end.
  double end[3];
  arc_point(1, end);
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(interpreter.at()[a], end[a], 0.00008) << "XYZ"[a] << " in " << last;
  // A line skipped with a "/" takes its pieces with it.
  if (c.lines.back()[0] == '/') {
    for (std::size_t at = last.find("\r\n"); at != std::string::npos; at = last.find("\r\n", at + 1)) {
      EXPECT_EQ(last[at + 2], '/') << last;
    }
  }
  // A remark after the arc's words stays as read, after the first piece.
  if (const std::size_t remark = c.lines.back().find(';'); remark != std::string::npos) {
    EXPECT_TRUE(last.substr(0, last.find("\r\n")).ends_with(c.lines.back().substr(remark))) << last;
  }
  // Under inverse-time feed the pieces together take the arc's time.
  if (c.lines.back().find("G93") != std::string::npos) {
    EXPECT_NEAR(interpreter.time(), 0.5, 0.0005) << last;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ArcLineTest,
    ::testing::Values(
        // A calibration: a typical arc takes a few pieces.
        ArcCase{"centre_words", {"G21 G90 G17", "G0 X10 Y0 Z0", "G3 X0 Y10 I-10 J0"}, 1.002f, 0.998f, kMm, false,
                17, {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        // The letters of the words the pieces replace, in a remark.
        ArcCase{"remark_after_the_words", {"G21 G90 G17", "G0 X10 Y0 Z0", "G3 X0 Y10 I-10 J0 ; X1 Y2 I3 J4"}, 1.002f,
                0.998f, kMm, false, 17, {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        // A start word of 39 characters (blanks inside a number run are
        // read past), the longest followed, on a long line and at the end
        // of a short one.
        ArcCase{"long_start_word_on_a_long_line",
                {"G21 G90 G17", "G0 X1" + std::string(36, ' ') + "0 Y0 Z0 (the line goes on)", "G3 X0 Y10 I-10 J0"},
                1.002f, 0.998f, kMm, false, 17, {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"long_start_word_ending_the_line", {"G21 G90 G17", "G0 Y0 Z0 X1" + std::string(36, ' ') + "0",
                "G3 X0 Y10 I-10 J0"}, 1.002f, 0.998f, kMm, false, 17, {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"radius_the_short_way", {"G21", "G0 X0 Y10", "G2 X10 Y0 R10"}, 1.002f, 0.998f, kMm, false, 17,
                {0, 0}, 10, 90, -90, 0, 0, kMillimetre, 3},
        ArcCase{"radius_the_long_way", {"G21", "G0 X0 Y10", "G2 X10 Y0 R-10"}, 1.002f, 0.998f, kMm, false, 17,
                {10, 10}, 10, 180, -270, 0, 0, kMillimetre, 6},
        ArcCase{"full_circle", {"G21", "G0 X5 Y0", "G2 X5 Y0 I-5 J0"}, 1.002f, 0.998f, kMm, false, 17, {0, 0}, 5, 0,
                -360, 0, 0, kMillimetre, 8},
        ArcCase{"a_turn_before_the_end", {"G21", "G0 X5 Y0", "G3 X0 Y5 I-5 J0 P2"}, 1.002f, 0.998f, kMm, false, 17,
                {0, 0}, 5, 0, 450, 0, 0, kMillimetre, 10},
        ArcCase{"helix", {"G21", "G0 X5 Y0 Z0", "G3 X-5 Y0 Z-2 I-5 J0"}, 1.002f, 0.998f, 1.5f, false, 17, {0, 0}, 5, 0,
                180, 0, -2, kMillimetre, 6},
        // A stretch makes an ellipse of it, in every plane.
        ArcCase{"xz_plane", {"G21", "G18", "G0 X10 Z0", "G2 X0 Z10 I-10 K0"}, 2, 1, 1, false, 18, {0, 0}, 10, 90,
                -90, 0, 0, kMillimetre, 40},
        ArcCase{"yz_plane", {"G21", "G19", "G0 Y10 Z0", "G3 Y0 Z10 J-10 K0"}, 1, 0.998f, 1.002f, false, 19, {0, 0},
                10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"stretched", {"G21", "G0 X0 Y-4", "G2 X4 Y0 I0 J4"}, 2, 3, 1, false, 17, {0, 0}, 4, 270, -270, 0, 0,
                kMillimetre, 80},
        // Incremental arcs need no start; absolute centres do.
        ArcCase{"incremental_from_where_no_one_knows", {"G21", "G91", "G3 X-10 Y10 I-10 J0"}, 1.002f, 0.998f, kMm,
                false, 17, {-10, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"absolute_centres", {"G21 G90.1", "G0 X10 Y0", "G3 X0 Y10 I0 J0"}, 1.002f, 0.998f, kMm, false, 17,
                {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"incremental_with_absolute_centres", {"G21 G90.1", "G0 X10 Y0", "G91 G3 X-10 Y10 I0 J0"}, 1.002f,
                0.998f, kMm, false, 17, {0, 0}, 10, 0, 90, 0, 0, kMillimetre, 3},
        ArcCase{"inverse_time", {"G21", "G0 X10 Y0", "G93 G3 X0 Y10 I-10 J0 F2"}, 2, 3, kMm, false, 17, {0, 0}, 10,
                0, 90, 0, 0, kMillimetre, 40},
        // The exchange and a mirror turn the image over.
        ArcCase{"exchanged", {"G21", "G0 X10 Y0", "G3 X0 Y10 I-10 J0"}, 1.002f, 0.998f, kMm, true, 17, {0, 0}, 10, 0,
                90, 0, 0, kMillimetre, 3},
        ArcCase{"exchanged_xz_plane", {"G21", "G18", "G0 X10 Z0", "G2 X0 Z10 I-10 K0"}, 2, 1, 1, true, 18, {0, 0},
                10, 90, -90, 0, 0, kMillimetre, 40},
        ArcCase{"mirrored", {"G21", "G0 X10 Y0", "G3 X0 Y10 I-10 J0"}, -1.002f, 0.998f, kMm, false, 17, {0, 0}, 10,
                0, 90, 0, 0, kMillimetre, 3},
        // An inch program: the output's last place is a ten-thousandth.
        ArcCase{"inches", {"G20", "G0 X1 Y0", "G3 X0 Y1 I-1 J0"}, 1.002f, 0.998f, kMm, false, 17, {0, 0}, 1, 0, 90,
                0, 0, kInch, 4},
        // A line with no motion word of its own runs in the mode the
        // pieces before it left.
        ArcCase{"modal_motion", {"G21", "G0 X10 Y0", "G3 X0 Y10 I-10 J0", "X-10 Y0 I0 J-10"}, 1.002f, 0.998f, kMm,
                false, 17, {0, 0}, 10, 90, 90, 0, 0, kMillimetre, 3},
        ArcCase{"block_delete", {"G21", "G0 X10 Y0", "/G3 X0 Y10 I-10 J0"}, 2, 3, kMm, false, 17, {0, 0}, 10, 0, 90,
                0, 0, kMillimetre, 40},
        // A radius whose rounded words would move the centre, under equal
        // scales: millimetres to inches.
        ArcCase{"radius_centre_in_inches", {"G21", "G0 X50 Y0", "G2 X0 Y0 R25"}, kMillimetresToInches,
                kMillimetresToInches, kMillimetresToInches, false, 17, {25, 0}, 25, 0, -180, 0, 0, kInch, 8}),
    [](const auto& test) { return std::string(test.param.name); });

// Under inverse-time feed each piece needs its share of the arc's time. An
// arc with no feed word, or whose feed came out negative, is one the
// interpreter refuses: it stays one line, as the rules write it, with the
// feed it came out with.
TEST(ArcLine, InverseTimeArcsWithoutATimeAreNotCut) {
  const struct {
    const char* line;
    float feed_scale, feed_add;
    bool cut;
  } kCases[] = {{"G91 G93 G2 X1 Y1 I1 J0 F10", 1, 0, true},
                {"G91 G93 G2 X1 Y1 I1 J0", 1, 0, false},
                {"G91 G93 G2 X1 Y1 I1 J0 F10", 1, -100, false},
                {"G91 G93 G2 X9 R5 F100", -1, 0, false}};
  for (const auto& c : kCases) {
    Settings settings;
    AssignDefaults(settings);
    settings.XScale = 2;
    settings.YScale = 3;
    settings.FeedScale = c.feed_scale;
    settings.FeedAdd = c.feed_add;
    LineProcessor processor(settings);
    std::string line = c.line;
    ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done) << c.line;
    EXPECT_EQ(processor.arc_cut(), c.cut) << c.line << " came out as " << line;
    if (!c.cut) {
      EXPECT_EQ(line, testing::ReferenceProcessLine(c.line, settings).line) << c.line;
    }
  }
}

// The numbers of the pieces: ten decimals, the zeros that end them
// dropped down to four.
TEST(AppendWritten, WritesFourToTenDecimals) {
  const struct {
    Written value;
    const char* text;
  } kCases[] = {{0, "0.0000"},
                {1, "0.0000000001"},
                {-1, "-0.0000000001"},
                {-15000000000, "-1.5000"},
                {30005000000, "3.0005"},
                {30005100000, "3.00051"},
                {123456789012345, "12345.6789012345"},
                {kFourDecimals * 999999999, "99999.9999"},
                {-kFourDecimals * 1234567, "-123.4567"},
                {-kFourDecimals * 4294967295, "-429496.7295"},
                {kFourDecimals * 4294967296, "429496.7296"},
                {INT64_MIN, "-922337203.6854775808"}};
  for (const auto& c : kCases) {
    std::string text = "X";
    AppendWritten(text, c.value);
    EXPECT_EQ(text, std::string("X") + c.text) << c.value;
  }
}

}  // namespace
}  // namespace kivrel
