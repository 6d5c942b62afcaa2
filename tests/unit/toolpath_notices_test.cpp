#include "transform/notices/toolpath_notices.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/disk_file_system.h"
#include "startup/main_program.h"
#include "support/fake_platform.h"
#include "support/temp_folder.h"
#include "transform/process_line.h"

namespace kivrel {
namespace {

constexpr const char* kRadius = "R words are not scaled: radius arcs and canned-cycle R planes will be wrong";
constexpr const char* kUnequal = "arcs are distorted by unequal X and Y scales";
constexpr const char* kMachineState =
    "parameters that read the machine's state (#5000 and above, #<_\u2026>) are not converted: values taken from "
    "them may be converted twice";
constexpr const char* kMalformed =
    "numbers that are not well-formed are left as they are: the controller reads or refuses them itself";
constexpr const char* kThreads = "threads keep their pitch and depths: G76 sizes are not scaled";
constexpr const char* kTappingPitch = "the spindle addend changes the pitch of tapping and threading moves";
constexpr const char* kTurnedCycles =
    "canned cycles along a mirrored axis: the controller refuses them or drills the wrong way";
constexpr const char* kOtherFile =
    "subroutines called from other files are not converted: their moves, feeds and speeds stay as they are";

// The notices for a program of lines under adjusted settings.
std::vector<std::string> NoticesFor(const std::vector<std::string>& lines,
                                    const std::function<void(Settings&)>& adjust) {
  Settings settings;
  AssignDefaults(settings);
  adjust(settings);
  ToolpathNotices notices(settings);
  LineProcessor processor(settings, &notices);
  // Lines are numbered as written: an arc cut into pieces takes more than one.
  std::uint64_t number = 1;
  for (std::string line : lines) {
    EXPECT_EQ(processor.ProcessLine(line, number), RewriteStatus::Done) << line;
    number += 1 + processor.extra_lines();
  }
  return notices.Notices();
}

struct NoticeCase {
  const char* name;
  std::string line;
  std::function<void(Settings&)> wrong;     // settings that make the line move wrongly
  std::function<void(Settings&)> harmless;  // settings under which it moves as asked
  const char* message;
};

auto Scale(float x, float y) {
  return [x, y](Settings& s) {
    s.XScale = x;
    s.YScale = y;
  };
}
auto Exchange(float x = 1, float y = 1) {
  return [x, y](Settings& s) {
    s.XScale = x;
    s.YScale = y;
    s.XYexchange = true;
  };
}
auto Axes(float x, float y, float z) {
  return [x, y, z](Settings& s) {
    s.XScale = x;
    s.YScale = y;
    s.ZScale = z;
  };
}
void Neutral(Settings&) {}

class NoticeKinds : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeKinds, FoundOnlyWhereTheSettingsMakeItWrong) {
  const NoticeCase& c = GetParam();
  std::vector<std::string> lines;  // a case may take more than one line
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = c.line.find('\n', start);
    lines.push_back(c.line.substr(start, end - start));
  }
  EXPECT_EQ(NoticesFor(lines, c.wrong), std::vector<std::string>{std::string("Line 1: ") + c.message});
  EXPECT_EQ(NoticesFor(lines, c.harmless), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NoticeKinds,
    ::testing::Values(
        NoticeCase{"radius", "G1 X1 Y1 R5", Scale(2, 2), Exchange(), kRadius},
        // R stays where no arc or drilling cycle gives it a meaning on a line
        // that moves, or where the plane's two scales differ.
        NoticeCase{"radius_without_an_arc", "G1 X1 R1", Scale(2, 2), Neutral, kRadius},
        NoticeCase{"radius_after_a_blank", "G1 X1 Y1 R 5", Scale(2, 2), Exchange(), kRadius},
        // A block-delete line's words are converted; its notices are those
        // of any line, and so are those of words after a leading comment.
        NoticeCase{"block_delete_radius", "/G1 X1 Y1 R1", Scale(2, 2), Neutral, kRadius},
        NoticeCase{"radius_after_a_leading_comment", "(note) G1 X1 R1", Scale(2, 2), Neutral, kRadius},
        NoticeCase{"unequal_arc", "G1 X1 J0", Scale(2, 3), Scale(2, 2), kUnequal},
        NoticeCase{"machine_state", "G1 X[#5221+1]", Scale(2, 1), Neutral, kMachineState},
        // Only the interpreter's own names, and only where positions change.
        NoticeCase{"machine_state_named", "o1 if [#<_x> gt 0]\no1 endif", Scale(2, 1),
                   [](Settings& s) { s.FeedAdd = 1; }, kMachineState},
        NoticeCase{"machine_state_assigned", "#1=#<_abs_z>", Exchange(), Neutral, kMachineState},
        NoticeCase{"machine_state_assigned_before_words", "#1=#5221 G0 X#1", Scale(2, 1), Neutral, kMachineState},
        NoticeCase{"polar", "G1 @5 ^30", Axes(2, 3, 1), Exchange(-1, 1), "polar coordinates (@ and ^) are not scaled"},
        NoticeCase{"other_file_call", "o<probe> call", [](Settings& s) { s.FeedScale = 2; }, Neutral, kOtherFile},
        // In the XZ and YZ planes the plane's own axes decide; the XY checks
        // stay quiet there.
        NoticeCase{"unequal_zx_arc", "G18 G2 X1 Z1 I1 K0", Axes(2, 2, 3), Axes(2, 3, 2),
                   "arcs in the XZ plane (G18) are distorted by unequal Z and X scales: their start point is not "
                   "known"},
        NoticeCase{"unequal_yz_arc", "G19 G3 Y1 Z1 J1 K0", Axes(1, 2, 1), Axes(3, 2, 2),
                   "arcs in the YZ plane (G19) are distorted by unequal Y and Z scales: their start point is not "
                   "known"},
        // An incremental arc needs no start to be cut into pieces; a rotary
        // word rides along with no piece.
        NoticeCase{"unequal_arc_with_a_rotary_word", "G91 G2 X1 Y1 I1 J0 A5", Scale(2, 3), Scale(2, 2), kUnequal},
        NoticeCase{"radius_centre_after_an_unknown_start", "G2 X1.0001 Y0 R0.5", Scale(1.5, 1.5), Exchange(),
                   "radius arcs (R) may have their centres moved by the rounding of their words: their start point "
                   "is not known"},
        // A conversion of units makes the unit word right; a program already
        // in the units converted to is wrong all the same.
        NoticeCase{"metric_program_to_millimetres", "G21 G0 X1", Axes(25.4f, 25.4f, 25.4f), Axes(1 / 25.4f, 1 / 25.4f, 1 / 25.4f),
                   "G21: the program is in millimetres already, yet the settings convert it from inches"},
        NoticeCase{"inch_program_to_inches", "G20", Axes(1 / 25.4f, 1 / 25.4f, 1 / 25.4f), Axes(25.4f, 25.4f, 25.4f),
                   "G20: the program is in inches already, yet the settings convert it from millimetres"},
        NoticeCase{"rotary_a", "G0 A90", [](Settings& s) { s.AScale = 25.4f; }, [](Settings& s) { s.AScale = 2; },
                   "A words take the unit factor: right for a linear A axis, wrong for a rotary one, whose words "
                   "are degrees"},
        NoticeCase{"inverse_time", "G93 G1 X1 F2", [](Settings& s) { s.FeedScale = 1.5f; }, Exchange(-1, 1),
                   "F words under inverse-time feed (G93) are no rates: the feed settings change how long the "
                   "moves take"},
        NoticeCase{"inverse_time_lengths", "G93 G1 X1 F2", [](Settings& s) { s.ZScale = 2; }, Exchange(-1, 1),
                   "moves under inverse-time feed (G93) keep their times: the scaled lengths change the speed of "
                   "the tool"},
        NoticeCase{"surface_speed", "G96 S200 M3", [](Settings& s) { s.SpindleRPM = 100; }, Neutral,
                   "S words under constant surface speed (G96) are surface speeds, not revolutions: the spindle "
                   "addend changes them"},
        NoticeCase{"negative_feed", "G1 X1 F10", [](Settings& s) { s.FeedAdd = -20; },
                   [](Settings& s) { s.FeedAdd = -5; },
                   "feed words come out negative, first F-10.0000: controllers refuse them"},
        NoticeCase{"negative_spindle", "M3 S100", [](Settings& s) { s.SpindleRPM = -200; },
                   [](Settings& s) { s.SpindleRPM = -50; },
                   "spindle words come out as 0 or negative, first S-100.: the spindle stands still, or controllers "
                   "refuse them or turn it the wrong way"},
        NoticeCase{"spindle_stopped", "M3 S1000", [](Settings& s) { s.SpindleRPM = -1000; },
                   [](Settings& s) { s.SpindleRPM = -999; },
                   "spindle words come out as 0 or negative, first S0.: the spindle stands still, or controllers "
                   "refuse them or turn it the wrong way"},
        NoticeCase{"malformed", "G1 X1.5.5 Y1", Scale(2, 1), Scale(1, 2), kMalformed},
        NoticeCase{"malformed_without_a_digit", "G0 Z- X1", Axes(1, 1, 2), Axes(2, 1, 1), kMalformed},
        NoticeCase{"feed_per_revolution", "G95 G1 X1 F0.1", [](Settings& s) { s.FeedAdd = 10; },
                   [](Settings& s) { s.FeedScale = 2; },
                   "F words under feed per revolution (G95) get the feed addend, which is a rate per minute"},
        NoticeCase{"extrusion", "G1 X10 Y5 E1.5", Axes(2, 2, 1), Exchange(-1, 1), "E words (extrusion) are not scaled"},
        NoticeCase{"uvw", "G0 X1 V2", Axes(1, 1, 0.5f), Exchange(), "U, V and W words are not scaled"},
        NoticeCase{"uvw_in_a_unit_conversion", "G20 G0 W1.5 X1", Axes(25.4f, 25.4f, 25.4f), Neutral,
                   "these words hold lengths the settings do not convert: first W1.5"},
        // Threads keep their sizes, which only a unit conversion changes.
        NoticeCase{"threads", "G20 G76 P1.5 Z-10 I-0.5 J0.2 K1 Q29.5 H3 E1 L3", Axes(2, 2, 2),
                   [](Settings& s) {
                     Axes(25.4f, 25.4f, 25.4f)(s);
                     s.AScale = 2;
                   },
                   kThreads},
        NoticeCase{"threads_exchanged", "G76 P1.5 Z-10 I-0.5 J0.2 K1", Exchange(), Axes(1, 2, 1), kThreads},
        // A faster spindle pulls a tap of the same feed per minute at a shorter
        // pitch; a feed per revolution is the pitch itself.
        NoticeCase{"tapping_pitch", "G84 X1 Y1 Z-2 R1 F100", [](Settings& s) { s.SpindleRPM = 100; },
                   [](Settings& s) { s.FeedAdd = 10; }, kTappingPitch},
        NoticeCase{"tapping_pitch_per_revolution", "G84 X1 Y1 Z-2 R1 F100\nG95 X2 F1",
                   [](Settings& s) { s.SpindleRPM = 100; }, Neutral, kTappingPitch},
        // A canned cycle drills along the plane's normal.
        NoticeCase{"turned_cycle", "G81 X1 Y1 Z-2 R3", Axes(1, 1, -1), Axes(-1, 1, 1), kTurnedCycles},
        NoticeCase{"turned_cycle_in_xz", "G18 G83 X1 Z1 Y-2 R3 Q1", Axes(1, -1, 1), Axes(-1, 1, -1), kTurnedCycles},
        NoticeCase{"cycle_in_yz", "G19 G81 Y1 Z1 X-2 R3", Axes(-1, 1, 1), Exchange(), kTurnedCycles},
        // The exchange takes the XZ plane to YZ, which takes no cutter
        // compensation or lathe cycle; from YZ to XZ they are right.
        NoticeCase{"exchanged_compensation", "G18 G41 D1 X1 Z1", Exchange(), [](Settings& s) { s.XScale = -1; },
                   "cutter compensation and lathe cycles work only in the XY and XZ planes: the exchange takes the XZ "
                   "plane (G18) to YZ (G19)"},
        NoticeCase{"exchanged_lathe_cycle", "G18 G71 Q1 X1 Z1 D1 I1", Exchange(), Axes(2, 1, 2),
                   "cutter compensation and lathe cycles work only in the XY and XZ planes: the exchange takes the XZ "
                   "plane (G18) to YZ (G19)"},
        // Other M codes keep the words the settings would change.
        NoticeCase{"other_codes", "M220 S100", [](Settings& s) { s.SpindleRPM = 100; }, Scale(2, 2),
                   "words on lines with other M codes are left as they are: first M220"},
        NoticeCase{"other_codes_on_a_move", "G1 X1 M 1 01 P2", Exchange(), [](Settings& s) { s.SpindleRPM = 1; },
                   "words on lines with other M codes are left as they are: first M101"},
        // A unit conversion of a program that names no units.
        NoticeCase{"no_units_to_millimetres", "G0 X1\nG20", Axes(25.4f, 25.4f, 25.4f), Axes(2, 2, 2),
                   "the program does not set its units: the converted program is in millimetres: run it under G21"},
        NoticeCase{"no_units_to_inches", "G91 G0 Z1 M3 S1\nG21", Axes(1 / 25.4f, 1 / 25.4f, 1 / 25.4f), Neutral,
                   "the program does not set its units: the converted program is in inches: run it under G20"}),
    [](const auto& test) { return std::string(test.param.name); });

// The plane, the feed mode and the spindle mode hold from the line that
// sets them on, until another word changes them.
TEST(ToolpathNotices, ModalStatesRunAcrossLines) {
  const auto settings = [](Settings& s) {
    Axes(2, 2, 3)(s);
    s.FeedScale = 2;
    s.SpindleRPM = 10;
  };
  EXPECT_EQ(NoticesFor({"G18", "G2 X1 Z1 I1 K0", "G17", "G2 X1 Y1 I1 J0", "G93", "G1 X1 F2", "G94", "G1 X2 F100",
                        "G96", "S200", "G97 S300"},
                       settings),
            (std::vector<std::string>{
                "Line 2: arcs in the XZ plane (G18) are distorted by unequal Z and X scales: their start point is "
                "not known",
                "Line 6: F words under inverse-time feed (G93) are no rates: the feed settings change how long the "
                "moves take",
                "Line 6: moves under inverse-time feed (G93) keep their times: the scaled lengths change the speed "
                "of the tool",
                "Line 10: S words under constant surface speed (G96) are surface speeds, not revolutions: the "
                "spindle addend changes them"}));
  // Feed per revolution from G95 until G93 or G94.
  const auto addend = [](Settings& s) { s.FeedAdd = 10; };
  EXPECT_EQ(NoticesFor({"G94 F100", "G95", "G1 X1 F0.1", "G1 X2 F0.2", "G93", "G1 X3 F2", "G95 G94 F100"}, addend),
            (std::vector<std::string>{"Line 3 (and 1 more): F words under feed per revolution (G95) get the feed "
                                      "addend, which is a rate per minute",
                                      "Line 6: F words under inverse-time feed (G93) are no rates: the feed "
                                      "settings change how long the moves take"}));
}

// An expression or a parameter is scaled where the program runs, and so are
// the arguments of the program's own subroutines, where their words use
// them (the subroutine may come further down); a subroutine of another file
// takes its arguments as they are. Parameters below 5000 and named ones
// hold the program's own values.
TEST(ToolpathNotices, ExpressionsAndTheProgramsOwnSubroutinesRaiseNone) {
  const auto all = [](Settings& s) {
    Axes(2, 2, 2)(s);
    s.FeedScale = 1.5f;
    s.FeedAdd = 10;
    s.SpindleRPM = 100;
  };
  for (const char* line : {"G1 X[#1+2]", "G1 Y#1", "g1 f[#3*2]", "M3 S#1", "G1 X#4999 Y#<x_> Z#<_safe>",
                           "G1 X#<_abs_u>"}) {
    EXPECT_EQ(NoticesFor({line}, all), std::vector<std::string>{}) << line;
  }
  EXPECT_EQ(NoticesFor({"o<a> call [2]", "o<a> sub", "G1 X#1", "o<a> endsub", "o<a> call [3]"}, all),
            std::vector<std::string>{});
  EXPECT_EQ(NoticesFor({"o<a> sub", "o<a> endsub", "o<a> call [2]", "o<b> call [2]", "o<c> call"}, all),
            (std::vector<std::string>{
                "Line 4: subroutine calls pass their arguments as they are: lengths among them are not scaled",
                std::string("Line 4 (and 1 more): ") + kOtherFile}));
}

TEST(ToolpathNotices, WhatLiesInCommentsIsNoWord) {
  EXPECT_EQ(NoticesFor({"G1 X1 Y1 (R5 G2 I1)"}, Scale(2, 3)), std::vector<std::string>{});
  EXPECT_EQ(NoticesFor({"G21 G1 X1", "/M00", "(X1)"}, [](Settings& s) {
              s.XScale = -2;
              s.YScale = 3;
            }),
            std::vector<std::string>{});
}

TEST(ToolpathNotices, CountsLinesAndNamesTheFirst) {
  const std::vector<std::string> program = {"G21", "G0 X0 Y0", "G2 X1 Y1 R1", "G1 X2", "g3 x0 y0 r1",
                                            "G1 X5 E1", "G2 X1 Y1 R0.5", "(X2)", "(b) G1 X1 E2"};
  constexpr const char* kExtrusion = "E words (extrusion) are not scaled";
  // In the order of their first lines, numbered as written: the first arc
  // comes out as eight pieces; the other two, whose radius cannot reach
  // their ends, stay as they are.
  EXPECT_EQ(NoticesFor(program, Scale(2, 3)),
            (std::vector<std::string>{std::string("Line 11 (and 1 more): ") + kRadius,
                                      std::string("Line 11 (and 1 more): ") + kUnequal,
                                      std::string("Line 12 (and 1 more): ") + kExtrusion}));
  // Radius arcs with equal scales, and mirrored arcs, are converted right.
  EXPECT_EQ(NoticesFor(program, Scale(2, 2)),
            std::vector<std::string>{std::string("Line 6 (and 1 more): ") + kExtrusion});
  EXPECT_EQ(NoticesFor(program, Exchange(1, 1)), std::vector<std::string>{});
  // One line with two such numbers counts once.
  EXPECT_EQ(NoticesFor({"G1 X1.2.3 Y--1", "G1 Z1 X1..", "G1 X2"}, Scale(2, 2)),
            std::vector<std::string>{std::string("Line 1 (and 1 more): ") + kMalformed});
}

// A subroutine is the program's own where a "sub" line anywhere in it names
// it as LinuxCNC reads names: blanks nowhere, any letter case, no leading
// zeros. Every other call reaches a file this conversion leaves alone.
TEST(ToolpathNotices, CallsReachOtherFilesWhereTheProgramHoldsNoSuchSubroutine) {
  const auto feed = [](Settings& s) { s.FeedAdd = 5; };
  const struct {
    std::vector<std::string> program;
    std::vector<std::string> notices;
  } cases[] = {
      {{"O<Probe > SUB", "G1 X1", "o<probe> endsub", "o< PROBE> call"}, {}},
      {{"o0100 sub", "o0100 endsub", "o 1 00 call (twice)", "O100CALL"}, {}},
      {{"o100 sub", "o100 endsub", "o1000 call", "o[#1] call", "o<a> call", "o<a> call [1]", "o<a> endsub"},
       {std::string("Line 3 (and 3 more): ") + kOtherFile}},
      {{"o<a> call", "o<b> call", "o<b> sub", "o<b> endsub"}, {std::string("Line 1: ") + kOtherFile}},
      {{"o<a> call", "o<b> call", "o<a> sub", "o<a> endsub"}, {std::string("Line 2: ") + kOtherFile}},
      {{"o<a> call", "o<a> return", "o<a> if [#1 gt 0]"}, {std::string("Line 1: ") + kOtherFile}},
      // No name is kept longer than LinuxCNC reads lines.
      {{"o<" + std::string(300, 'a') + "> sub", "o<" + std::string(300, 'a') + "> call"},
       {std::string("Line 2: ") + kOtherFile}},
  };
  for (const auto& c : cases) EXPECT_EQ(NoticesFor(c.program, feed), c.notices) << c.program.front();

  // Past the names kept, calls still count.
  std::vector<std::string> many;
  many.reserve(5000);
  for (int i = 0; i < 5000; ++i) many.push_back("o<n" + std::to_string(i) + "> call");
  EXPECT_EQ(NoticesFor(many, feed), std::vector<std::string>{std::string("Line 1 (and 4999 more): ") + kOtherFile});
}

TEST(ToolpathNotices, LeaveTheConvertedBytesAlone) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = -25.4f;
  settings.YScale = 2;
  settings.FeedAdd = 3;
  settings.XYexchange = true;
  const std::vector<std::string> program = {"G2 X1 Y1 R5 (A) X3", "/G1 X1", "g1 x[#1] f#2", "(c) Y1", "G3 X1 Y2 I1 J1"};
  ToolpathNotices notices(settings);
  LineProcessor with(settings, &notices);
  LineProcessor without(settings);
  std::uint64_t number = 0;
  for (const std::string& input : program) {
    std::string a = input;
    std::string b = input;
    EXPECT_EQ(with.ProcessLine(a, ++number), without.ProcessLine(b));
    EXPECT_EQ(a, b);
  }
  EXPECT_EQ(notices.Notices().size(), 2u);
}

// A whole start: the notices come after the progress window has closed and
// before the result file is written; a zero feed rate reports none.
TEST(ToolpathNotices, ReportedAfterAFinishedConversionOnly) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "kivrel.prm", "2\r\n2\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n");
  testing::WriteFile(folder / "part.nc", "G1 X1 Y1 R1\r\n");
  DiskFileSystem files;
  testing::RecordingMessageBoxes boxes;
  testing::ScriptedClock clock({0.0f}, 1.0f);
  testing::FakeUserInterface ui;
  ui.watched_file = folder / "prepre.res";
  Platform platform{files, boxes, clock, ui, ui.errors, folder.path().string(), folder / "part.nc"};
  EXPECT_EQ(RunProgram(platform), ExitStatus::Done);
  // The line as the converted program counts it, after the settings block.
  EXPECT_EQ(ui.notices, std::vector<std::string>{std::string("Line 10: ") + kRadius});
  EXPECT_EQ(ui.notices_program, folder / "part.nc");
  EXPECT_EQ(ui.events, std::vector<std::string>{"notices after close"});
  EXPECT_FALSE(ui.watched_file_existed);

  testing::WriteFile(folder / "part.nc", "G2 X1 Y1 R1\r\nG1 F0\r\n");
  testing::FakeUserInterface aborted;
  Platform again{files, boxes, clock, aborted, aborted.errors, folder.path().string(), folder / "part.nc"};
  EXPECT_EQ(RunProgram(again), ExitStatus::ZeroFeed);
  EXPECT_TRUE(aborted.notices.empty());
}

}  // namespace
}  // namespace kivrel
