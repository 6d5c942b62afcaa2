// What a word means on its line, from the line's codes and the modes before
// it: one table of lines and the roles of their words.
#include "transform/roles/word_roles.h"

#include <gtest/gtest.h>

#include <string>

#include "common/byte_buffer.h"
#include "transform/scan/line_scan.h"

namespace kivrel {
namespace {

const char* Name(Role role) {
  switch (role) {
    case Role::kAsRead: return "read";
    case Role::kPosition: return "position";
    case Role::kIncrement: return "increment";
    case Role::kRadius: return "radius";
    case Role::kRetract: return "retract";
    case Role::kMachinePosition: return "machine";
    case Role::kToolSize: return "tool";
    case Role::kPitch: return "pitch";
    case Role::kThreadSize: return "thread";
    case Role::kPeckDepth: return "peck";
    case Role::kTolerance: return "tolerance";
    case Role::kFeed: return "feed";
    case Role::kTappingFeed: return "tapping feed";
    case Role::kSpeed: return "speed";
    case Role::kSplineX: return "spline X";
    case Role::kSplineY: return "spline Y";
    case Role::kPolarRadius: return "polar radius";
    case Role::kPolarAngle: return "polar angle";
    case Role::kPolarTurn: return "polar turn";
  }
  return "?";
}

// The roles of the letters on the line, in the order of the rows, and what
// else the roles say of it.
std::string Describe(const std::string& text, const Modal& before) {
  Settings settings;
  AssignDefaults(settings);
  const ConversionPlan plan(settings);
  ByteBuffer line;  // with the room to read past the line that the scan needs
  line.Append(text);
  std::string copy;
  LineScan scan;
  ScanLine(line.view(), plan, false, copy, scan);
  LineModes modes(before, scan.plane, scan.motion, scan.distance);
  const WordRoles roles = RolesOf(CodesOf(line.view(), scan), modes, kWantCycles | kWantTapping | kWantThreading);
  std::string description;
  for (int row = 0; row < line_tables::kRows; ++row) {
    if (((scan.seen >> row) & 1) == 0) continue;
    if (!description.empty()) description += ' ';
    description += std::string(1, line_tables::kRowLetters[row]) + "=" + Name(roles.role[row]);
  }
  if (!roles.exchange) description += " | no exchange";
  if (roles.swap_pq) description += " | P and Q trade";
  if (roles.words_as_read) description += " | words as read";
  if (roles.unused_radius) description += " | unused R";
  if (roles.spline) description += " | spline";
  if (roles.cycle) description += " | cycle";
  if (roles.tapping) description += " | tapping";
  if (roles.threading) description += " | threading";
  return description;
}

struct RoleCase {
  const char* line;
  Modal before;
  const char* roles;
};

std::ostream& operator<<(std::ostream& out, const RoleCase& c) { return out << c.line; }

constexpr Modal kStart{};
constexpr Modal kArcs{Plane::XY, Motion::Arc, Distance::Absolute};
constexpr Modal kTapping{Plane::XY, Motion::Tapping, Distance::Absolute};
constexpr Modal kPecking{Plane::XY, Motion::Peck, Distance::Absolute};
constexpr Modal kPitch{Plane::XY, Motion::Pitch, Distance::Absolute};
constexpr Modal kSplines{Plane::XY, Motion::Spline, Distance::Absolute};
constexpr Modal kIncremental{Plane::XY, Motion::Straight, Distance::Incremental};

class WordRolesTest : public ::testing::TestWithParam<RoleCase> {};

TEST_P(WordRolesTest, AsTheCodesAndModesSay) { EXPECT_EQ(Describe(GetParam().line, GetParam().before), GetParam().roles); }

INSTANTIATE_TEST_SUITE_P(
    Lines, WordRolesTest,
    ::testing::Values(
        // Plain lines.
        RoleCase{"G1 X1 Y2 Z3 A4 F100 S200", kStart, "X=position Y=position Z=position A=position F=feed S=speed"},
        RoleCase{"G2 X1 Y1 I1 J0", kStart, "X=position I=position Y=position J=position"},
        // Tool lengths and positions on the machine: a unit conversion alone,
        // and no exchange.
        RoleCase{"G43.1 Z5", kStart, "Z=tool | no exchange"},
        RoleCase{"G43.2 H2 X1", kStart, "X=tool | no exchange"},
        RoleCase{"G10 L1 P1 Z1 I30 R5 Q2", kStart, "I=read Z=tool R=read Q=read P=read | no exchange"},
        RoleCase{"G10 L 1 0 P1 Z1", kStart, "Z=tool P=read | no exchange"},
        RoleCase{"G10 L2 P1 X10 R30", kStart, "X=machine R=read P=read | no exchange"},
        RoleCase{"G10 L20 P1 X10", kStart, "X=position P=read"},
        RoleCase{"G10 S200 P0", kStart, "S=read P=read"},
        RoleCase{"G53 G0 Z-10 F100", kStart, "Z=machine F=feed | no exchange"},
        // Pitches and the sizes of a thread.
        RoleCase{"G33.1 Z-10 K1.5 I2", kStart, "I=read Z=position K=pitch"},
        RoleCase{"X1 K2", kPitch, "X=position K=pitch"},
        RoleCase{"K2", kPitch, "K=position"},
        RoleCase{"G76 P1.5 Z-10 I-0.5 J0.2 K1 Q29.5 H3 E1 L3 R2", kStart,
                 "I=thread J=thread Z=position K=thread R=read Q=read P=pitch E=thread | threading"},
        // Tapping feeds.
        RoleCase{"G84 X1 Y1 Z-2 R1 F100", kStart,
                 "X=position Y=position Z=position F=tapping feed R=retract | cycle | tapping"},
        RoleCase{"X2 Y2 F100", kTapping, "X=position Y=position F=tapping feed | cycle | tapping"},
        RoleCase{"F100", kTapping, "F=feed"},
        RoleCase{"G74 Z-1 R2 F50", kStart, "Z=position F=tapping feed R=retract | cycle | tapping"},
        // Splines: P and Q are a control point's offsets.
        RoleCase{"G5 X10 Y10 I5 J0 P0 Q-5", kStart,
                 "X=position I=position Y=position J=position Q=spline Y P=spline X | P and Q trade | spline"},
        RoleCase{"X2 P1 Q1", kSplines, "X=position Q=spline Y P=spline X | P and Q trade"},
        RoleCase{"G5.1 X1 I1 J1", kStart, "X=position I=position J=position | spline"},
        // R and Q follow the motion on a line that moves, and no code gives
        // them another meaning.
        RoleCase{"X1 Y1 R5", kArcs, "X=position Y=position R=radius"},
        RoleCase{"R5", kArcs, "R=read"},
        RoleCase{"M19 R90 X1", kArcs, "X=position R=read"},
        RoleCase{"G1 X1 R1", kStart, "X=position R=read | unused R"},
        RoleCase{"G 8 1 X1 R1", kStart, "X=position R=retract | cycle"},
        RoleCase{"G83 Z-1 R1 Q1", kStart, "Z=position R=retract Q=peck | cycle"},
        RoleCase{"X1 Q1", kPecking, "X=position Q=peck | cycle"},
        RoleCase{"M66 P0 L3 Q5", kPecking, "Q=read P=read"},
        RoleCase{"M68 E0 Q5 X1", kPecking, "X=position Q=read E=read | cycle"},
        RoleCase{"G1 X1 Q1", kStart, "X=position Q=read"},
        RoleCase{"G71.1 Q100 X15 Z3 D1 I1 R0.3", kPecking, "X=position I=position Z=position R=read Q=read D=read | unused R"},
        // Codes that keep every word: printers', set-up and user codes.
        RoleCase{"M220 S100", kStart, "S=read | no exchange | words as read"},
        RoleCase{"M851 X-30 Y-10 Z-1.2", kStart, "X=read Y=read Z=read | no exchange | words as read"},
        RoleCase{"G1 X10 M101", kStart, "X=read | no exchange | words as read"},
        RoleCase{"M[#1] X1", kStart, "X=read | no exchange | words as read"},
        RoleCase{"M3 S1000 M8 X1", kStart, "X=position S=speed"},
        RoleCase{"M1 04 S1", kStart, "S=read | no exchange | words as read"},
        // A dwell's time in S, where the line gives no P word.
        RoleCase{"G4 S3 (P1)", kStart, "S=read"},
        RoleCase{"G4 S3 X#<p1>", kStart, "X=position S=read"},
        RoleCase{"G4 P#1 S3", kStart, "S=speed P=read"},
        // Sizes of the tool and tolerances of the path.
        RoleCase{"G41.1 D5 X1", kStart, "X=position D=tool"},
        RoleCase{"G41 D1", kStart, "D=read"},
        RoleCase{"G64 P0.01 Q0.005", kStart, "Q=tolerance P=tolerance"},
        // Polar words, and the angle as an increment in G91.
        RoleCase{"G1 @5 ^30", kStart, "@=polar radius ^=polar angle"},
        RoleCase{"G1 @1 ^30", kIncremental, "@=increment ^=polar turn"},
        RoleCase{"G90 G1 ^30", kIncremental, "^=polar angle"},
        RoleCase{"G9 1 G1 ^30", kStart, "^=polar turn"},
        // Increments of positions; arc centres are no increments of them.
        RoleCase{"G1 X1 Y2 Z3 A4 F1", kIncremental, "X=increment Y=increment Z=increment A=increment F=feed"},
        RoleCase{"G2 X1 I1 J0", kIncremental, "X=increment I=position J=position"},
        RoleCase{"G91 G53 G0 Z0", kStart, "Z=machine | no exchange"}));

// A line relies on the modes before it only where it asks about them and
// does not set them itself; a chunk converted on other modes is converted
// again only where the answers differ.
TEST(WordRoles, RelyOnlyOnTheModesTheyAskAbout) {
  const auto relied = [](const char* text, const Modal& before) {
    Settings settings;
    AssignDefaults(settings);
    const ConversionPlan plan(settings);
    ByteBuffer line;
    line.Append(text);
    std::string copy;
    LineScan scan;
    ScanLine(line.view(), plan, false, copy, scan);
    LineModes modes(before, scan.plane, scan.motion, scan.distance);
    static_cast<void>(RolesOf(CodesOf(line.view(), scan), modes));
    return modes.relied();
  };
  // A feed asks whether the motion taps: an arc and a straight move answer
  // alike.
  const ModesRelied feed = relied("X1 F100", kArcs);
  EXPECT_FALSE(feed.Differ(kArcs, kStart));
  EXPECT_TRUE(feed.Differ(kArcs, kTapping));
  // A radius asks whether the motion is an arc or a cycle.
  EXPECT_TRUE(relied("X1 R1", kStart).Differ(kStart, kArcs));
  // A line that sets the motion relies on none.
  EXPECT_FALSE(relied("G1 X1 R1 F1", kStart).Differ(kStart, kTapping));
  // A polar angle asks for the distance mode.
  EXPECT_TRUE(relied("G1 ^30", kStart).Differ(kStart, kIncremental));
  EXPECT_FALSE(relied("G91 G1 ^30", kStart).Differ(kStart, kIncremental));
}

}  // namespace
}  // namespace kivrel
