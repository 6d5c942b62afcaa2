#include "transform/process_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace kivrel {
namespace {

struct LineCase {
  const char* name;
  std::function<void(Settings&)> adjust;
  std::string input;
  std::string output;  // the line that comes out, unless the status says otherwise
  RewriteStatus status = RewriteStatus::Done;
};

void Neutral(Settings&) {}
auto XScale(float v) { return [v](Settings& s) { s.XScale = v; }; }
auto Exchange() { return [](Settings& s) { s.XYexchange = true; }; }
auto Spindle(float v) { return [v](Settings& s) { s.SpindleRPM = v; }; }
auto Feed(float scale, float add) {
  return [scale, add](Settings& s) {
    s.FeedScale = scale;
    s.FeedAdd = add;
  };
}
template <typename... F>
auto All(F... adjust) {
  return [=](Settings& s) { (adjust(s), ...); };
}
auto YScale(float v) { return [v](Settings& s) { s.YScale = v; }; }
auto Units(float factor) {
  return [factor](Settings& s) { s.XScale = s.YScale = s.ZScale = factor; };
}
auto Axes(float x, float y, float z) {
  return [x, y, z](Settings& s) {
    s.XScale = x;
    s.YScale = y;
    s.ZScale = z;
  };
}

std::ostream& operator<<(std::ostream& out, const LineCase& c) { return out << c.name; }

class ProcessLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ProcessLineTest, RewritesAsTheRulesSay) {
  const LineCase& c = GetParam();
  Settings settings;
  AssignDefaults(settings);
  c.adjust(settings);
  LineProcessor processor(settings);
  std::string line = c.input;
  RewriteStatus status = processor.ProcessLine(line);
  EXPECT_EQ(status, c.status);
  if (c.status == RewriteStatus::Done) {
    EXPECT_EQ(line, c.output);
  }
}

const LineCase kClassification[] = {
    {"comment line", Neutral, "(MOVE x)", "(MOVE x)"},
    {"block-delete line", XScale(2), "/G01 X1", "/G01 X2.0000"},
    {"block-delete line after blanks", XScale(2), "  / g01 x1", "  /G01 X2.0000"},
    {"block-delete comment line", XScale(2), "/(x1) x1", "/(x1) X2.0000"},
    {"block-delete comment line with no word", XScale(2), "/(x1)", "/(x1)"},
    {"block-delete o-word line", XScale(2), "/o100 if [#1 gt x]", "/o100 if [#1 gt x]"},
    {"block-delete line with a zero feed", Neutral, "/G01 F0", "", RewriteStatus::ZeroFeed},
    {"a slash later ends the words", XScale(2), "G01 X1 / Y2", "G01 X2.0000 / Y2"},
    {"percent line", Neutral, "%", "%"},
    {"parameter line", Neutral, "#100=5", "#100=5"},
    {"empty line", Neutral, "", ""},
    {"blank before a comment", XScale(2), " (MOVE x)", " (MOVE X)"},
    {"blank before a comment, exchanged", Exchange(), " (MOVE x)", " (MOVE Y)"},
    {"marker line keeps its case", XScale(2), "N10 m20addition x1", "N10 m20addition x1"},
    {"no word to rewrite", Neutral, "g04 p500 (dwell)", "G04 P500 (DWELL)"},
    {"words after a closed comment are words", Neutral, "G01 X1 (A) Y2", "G01 X1.0000 (A) Y2.0000"},
    // A comment or a parameter assignment that opens a line stays as read;
    // the words after it are words.
    {"a comment before every word", XScale(2), "(a) g01 x1", "(a) G01 X2.0000"},
    {"comments before the words", All(XScale(2), Exchange()), "(x)(y) X1", "(x)(y) Y2.0000"},
    {"a comment that does not close", XScale(2), "(a X1", "(a X1"},
    {"a comment and an O word", XScale(2), "(a) o100 sub", "(a) o100 sub"},
    {"a comment and a marker", XScale(2), "(m20addition) X1", "(m20addition) X1"},
    {"a parameter assignment", XScale(2), "#1=5 G0 X10", "#1=5 G0 X20.0000"},
    {"assignments of expressions and functions", XScale(2), "#<d> = [#1/2] #2=-#3 #3=atan[1]/[2] G1 X1",
     "#<d> = [#1/2] #2=-#3 #3=atan[1]/[2] G1 X2.0000"},
    {"an assignment and a comment", XScale(2), "#1=sin [30] (c) X1", "#1=sin [30] (c) X2.0000"},
    {"an assignment alone", XScale(2), "#1=5", "#1=5"},
    {"what is no assignment stays", XScale(2), "#1=foo[2] X1", "#1=foo[2] X1"},
    {"an assignment with no value stays", XScale(2), "#1= X1", "#1= X1"},
    {"a letter in the comment is no word", XScale(2), "G01 (X5) X1", "G01 (X5) X2.0000"},
    {"an open comment ends the words", XScale(2), "G01 Y1 (A X1", "G01 Y1.0000 (A X1"},
    {"a semicolon after a closed comment", XScale(2), "G01 (a) X1 ; Y2", "G01 (A) X2.0000 ; Y2"},
    {"a marker in a closed comment", XScale(2), "G01 X1 (m20addition) y1", "G01 X1 (m20addition) y1"},
    {"percent starts a comment", Neutral, "G01 X1 % Y2", "G01 X1.0000 % Y2"},
    {"semicolon starts a comment", Neutral, "G01 X1 ;FAST", "G01 X1.0000 ;FAST"},
    {"a remark keeps its text", Neutral, "G21 G90 ; metric, absolute", "G21 G90 ; metric, absolute"},
    {"semicolon line", XScale(2), "; x1 f0", "; x1 f0"},
    {"the exchange leaves a remark", Exchange(), "G01 X1 ;X", "G01 Y1.0000 ;X"},
    // Comments the controller shows, prints or logs keep their text.
    {"a message", Exchange(), "g1 x1 (PRINT, done x) y2", "G1 Y1.0000 (PRINT, done x) X2.0000"},
    {"a message to the end of the line", Exchange(), "g1 x1 ( msg, move X", "G1 Y1.0000 ( msg, move X"},
    {"debug and log comments", Exchange(), "X1 (debug,x)(LOGOPEN,x.txt)(probeclose)(x)",
     "Y1.0000 (debug,x)(LOGOPEN,x.txt)(probeclose)(Y)"},
    {"a message without its comma is a comment", Exchange(), "X1 (msg x)", "Y1.0000 (MSG Y)"},
    {"a remark under a removal", All(XScale(0), Exchange()), "G1 X1 Y2 ; fixture x", "G1  X2.0000 ; fixture x"},
    {"a message under a removal", All(XScale(0), Exchange()), "G1 X1 (MSG, x) Y2", "G1  (MSG, x) X2.0000"},
    {"a marker in a remark", XScale(2), "G1 X1 ; m20addition", "G1 X1 ; m20addition"},
    {"only ASCII letters are upper-cased", Neutral, "g01 x1 (\xc3\xa4ndern)", "G01 X1.0000 (\xc3\xa4NDERN)"},
    {"tab is not trimmed", Neutral, "\tG01 X1", "\tG01 X1.0000"},
};

const LineCase kWords[] = {
    {"overview example", All(XScale(2), Feed(1.5f, 10)), "g01 x1.5 y-2 f100 (cut)",
     "G01 X3.0000 Y-2.0000 F160.0000 (CUT)"},
    {"feed scaled and offset", All(XScale(2), Feed(1.5f, 10)), "G01 X1.5 Y-2 F100",
     "G01 X3.0000 Y-2.0000 F160.0000"},
    {"arc centre follows its axis", All(XScale(2), [](Settings& s) { s.YScale = 3; }),
     "G02 X2 Y0 I1 J0", "G02 X4.0000 Y0.0000 I2.0000 J0.0000"},
    {"exchange", Exchange(), "G02 X1 Y2 I0.5 J-1", "G03 Y1.0000 X2.0000 J0.5000 I-1.0000"},
    {"exchange reaches the comment", Exchange(), "G01 X1 Y2 (MAX)", "G01 Y1.0000 X2.0000 (MAY)"},
    {"lower-case words", XScale(2), "g01 x1 (move x)", "G01 X2.0000 (MOVE X)"},
    {"lower-case words, exchanged", All(XScale(2), Exchange()), "g01 x1 (move x)", "G01 Y2.0000 (MOVE Y)"},
    {"exchange after the comment too", Exchange(), "G01 X1 (A) Y2", "G01 Y1.0000 (A) X2.0000"},
    {"protected text after a closed comment", Exchange(), "G01 (X) X1 [#1+X]", "G01 (Y) Y1.0000 [#1+X]"},
    {"scale 0 removes Y", [](Settings& s) { s.YScale = 0; }, "G01 X1 Y2 F50", "G01 X1.0000  F50.0000"},
    {"scale 0 removes A", [](Settings& s) { s.AScale = 0; }, "G00 Z5 A90", "G00 Z5.0000"},
    {"scale 0 removes X and I", XScale(0), "G02 X1 Y2 I3 J4", "G02  Y2.0000  J4.0000"},
    {"only the first word of a letter", XScale(2), "G01 X1 X2", "G01 X2.0000 X2"},
    {"marker text with the exchange", Exchange(), "G01 X1 __TEMP1__", "G01 Y1.0000 X"},
    {"marker text without the exchange", Neutral, "G01 __temp1__", "G01 __TEMP1__"},
    {"every marker text", Exchange(), "--TEMP2-- __TEMP4__ --TEMP3--", "Y I J"},
    {"trailing blanks do not move the comment", Neutral, "G01 X1 Y2 (C)     ",
     "G01 X1.0000 Y2.0000 (C)"},
    {"leading blanks do not move the comment", Neutral, "  G01 X1 Y2 (C) Y3",
     "G01 X1.0000 Y2.0000 (C) Y3"},
    {"removal moves the comment", XScale(0), "G01 X1 Y2 (C) Y3", "G01  Y2.0000 (C) Y3"},
    {"growth moves the comment", XScale(1000), "X1 Y2(Z3) Z4", "X1000.0000 Y2.0000(Z3) Z4.0000"},
    {"a line of any length", XScale(2), "G0" + std::string(40000, ' ') + "X1",
     "G0" + std::string(40000, ' ') + "X2.0000"},
};

const LineCase kNumbers[] = {
    {"spindle offset", Spindle(12000), "M03 S1000", "M03 S13000."},
    {"spindle untouched at 0", Neutral, "M03 S1000", "M03 S1000"},
    {"spindle rounds to whole", Spindle(100), "M03 S1000.6", "M03 S1101."},
    {"spindle of 0 does not abort", Spindle(-100), "M03 S100", "M03 S0."},
    {"large coordinates keep their decimals", Neutral, "N630 G1 X478.7868 Y12178.6843",
     "N630 G1 X478.7868 Y12178.6843"},
    {"four decimals", Neutral, "G01 X123.456789", "G01 X123.4568"},
    {"no tie at the seventh digit from 1000 up", Neutral, "G01 X1024.0625", "G01 X1024.0625"},
    {"large product from the stored scale", XScale(25.4f), "G01 X1000.1234", "G01 X25403.1344"},
    {"large product from the stored unit factor", XScale(static_cast<float>(1 / 25.4)), "G01 X-123456.789",
     "G01 X-4860.5037"},
    {"large product, mirrored", XScale(-1), "G01 X-12178.6843", "G01 X12178.6843"},
    {"large feed offset", Feed(1.5f, 10), "G01 F1234.5678", "G01 F1861.8517"},
    {"leading point", Neutral, "G01 X.5", "G01 X0.5000"},
    {"negative scale", XScale(-2), "G01 X-.5", "G01 X1.0000"},
    // A run that is not one number stays as read: the controller reads or
    // refuses it itself.
    {"two points", XScale(2), "G01 X1.2.3 Y1", "G01 X1.2.3 Y1.0000"},
    {"a sign inside the run", XScale(2), "G01 X1 - 2 Y1", "G01 X1 - 2 Y1.0000"},
    {"two signs", XScale(2), "G01 X+-1 Y1", "G01 X+-1 Y1.0000"},
    {"a point alone", [](Settings& s) { s.ZScale = 2; }, "G0 Z. X1", "G0 Z. X1.0000"},
    {"a sign alone", [](Settings& s) { s.ZScale = 2; }, "G0 Z- X1", "G0 Z- X1.0000"},
    {"a kept run still ends the line's blanks", XScale(2), " G01 X1.5.5 ", "G01 X1.5.5"},
    {"a kept run is not removed", XScale(0), "G01 X1.5.5 Y1", "G01 X1.5.5 Y1.0000"},
    {"a kept feed does not abort", Neutral, "G01 F0.0.1", "G01 F0.0.1"},
    {"letter without a number", Neutral, "G01 X Y2", "G01 X Y2.0000"},
    {"letter at the end of the line", XScale(2), "G0 Z", "G0 Z"},
    {"spindle letter without a number", Spindle(100), "M3 S", "M3 S"},
    {"blanks inside the run are ignored", Neutral, "G01 X1 2", "G01 X12.0000"},
    {"blank between letter and number", All(XScale(2), [](Settings& s) { s.YScale = 2; }),
     "G1 X 12.5 Y 3 F100", "G1 X25.0000 Y6.0000 F100.0000"},
    {"blank before the sign", Neutral, "G1 X -5", "G1 X-5.0000"},
    {"tab inside the run", Neutral, "G1 X\t1 .5 Y1", "G1 X1.5000 Y1.0000"},
    {"removal takes the whole run", XScale(0), "G01 X 1 Y2", "G01  Y2.0000"},
    {"no exponent", Neutral, "G01 X1E2", "G01 X1.0000E2"},
    {"a register word after the number", Neutral, "G41G01X1.0D1F100", "G41G01X1.0000D1F100.0000"},
    {"an extruder word after the number", [](Settings& s) { s.YScale = 2; }, "G1X10Y5E1.5",
     "G1X10.0000Y10.0000E1.5"},
    {"character after the number stays", Neutral, "G01 X12;", "G01 X12.0000;"},
    {"removal trims the line", XScale(0), "X1 Y2", "Y2.0000"},
    {"removal keeps both blanks", XScale(0), "G01 X1 Y2", "G01  Y2.0000"},
    {"feed scale 0 removes the feed", Feed(0, 0), "G01 X1 F100", "G01 X1.0000"},
    {"feed scale 0 removes a zero feed", Feed(0, 0), "G01 F0", "G01"},
    {"feed scaled and offset", Feed(1.5f, 10), "G01 X1 F100", "G01 X1.0000 F160.0000"},
    {"addend after rounding", Feed(1, 0.00004f), "G01 F1.00001", "G01 F1.0000"},
    {"zero feed", Neutral, "G01 X1 F0", "", RewriteStatus::ZeroFeed},
    {"feed offset to zero", Feed(1, -100), "G01 F100", "", RewriteStatus::ZeroFeed},
    {"feed rounding to zero", Neutral, "G01 F0.00004", "", RewriteStatus::ZeroFeed},
    {"no negative zero", Neutral, "G01 X-0.00001", "G01 X0.0000"},
    {"no negative zero after scaling", XScale(-1), "G01 X0.00001", "G01 X0.0000"},
    {"tiny value", Neutral, "G01 X0." + std::string(49, '0') + "1", "G01 X0.0000"},
    {"no exponent, however large", Neutral, "G01 X1E39", "G01 X1.0000E39"},
    {"value beyond the 32-bit range", Neutral, "G01 X1" + std::string(39, '0'), "",
     RewriteStatus::OutOfRange},
    {"product beyond the 32-bit range", XScale(10), "G01 X1" + std::string(38, '0'), "",
     RewriteStatus::OutOfRange},
    {"removed word beyond the range", XScale(0), "G01 X1" + std::string(39, '0'), "",
     RewriteStatus::OutOfRange},
    {"largest value in range", Neutral, "G01 X3" + std::string(38, '0'),
     "G01 X3" + std::string(38, '0') + ".0000"},
    {"signs in the run", XScale(2), "G01 X--1", "G01 X--1"},
    {"sign and point only", XScale(2), "G01 X+.", "G01 X+."},
};

// A conversion of units names the units it converts to.
const LineCase kUnitWords[] = {
    {"inches to millimetres", Units(25.4f), "G20 G0 X1", "G21 G0 X25.4000"},
    {"leading zeros", Units(25.4f), "g020 x1", "G021 X25.4000"},
    {"a blank and a decimal zero", Units(25.4f), "G 20.0 X1", "G 21.0 X25.4000"},
    {"millimetres to inches", Units(static_cast<float>(0.039370078740)), "G21 G0 X10", "G20 G0 X0.3937"},
    {"G20 in a comment stays", Units(25.4f), "G0 (G20) G20", "G0 (G20) G21"},
    {"after the comment it stays", Units(25.4f), "G20 ; G20", "G21 ; G20"},
    {"no unit conversion", [](Settings& s) { s.XScale = 25.4f; }, "G20 X1", "G20 X25.4000"},
    {"a program in the units converted to", Units(25.4f), "G21 X1", "G21 X25.4000"},
    {"G20.5 is another code", Units(25.4f), "G20.5", "G20.5"},
};

// A plane the settings turn over turns arcs and cutter compensation round;
// R and Q follow the motion mode.
const LineCase kModes[] = {
    {"mirrored arc", XScale(-1), "G 2 X1", "G 3 X-1.0000"},
    {"exchanged arc", Exchange(), "g02 x1", "G03 Y1.0000"},
    {"exchanged and mirrored: a rotation", All(Exchange(), [](Settings& s) { s.YScale = -1; }), "G2 X1 Y1",
     "G2 Y1.0000 X-1.0000"},
    {"mirrored compensation", XScale(-1), "G41 D1 X1", "G42 D1 X-1.0000"},
    {"exchanged dynamic compensation", Exchange(), "g42.1 d2 x1", "G41.1 D2 Y1.0000"},
    {"the XZ plane turned over", XScale(-1), "G18 G2 X1 Z1", "G18 G3 X-1.0000 Z1.0000"},
    {"the YZ plane left alone", XScale(-1), "G19 G2 Y1 Z1", "G19 G2 Y1.0000 Z1.0000"},
    // The exchange carries the XZ plane onto the YZ plane, and back: the
    // plane's code and its arcs' direction follow.
    {"the exchange carries the XZ plane onto YZ", Exchange(), "G18 G2 X1 Z1 I1 K0", "G19 G3 Y1.0000 Z1.0000 J1.0000 K0.0000"},
    {"the exchange carries the YZ plane onto XZ", Exchange(), "G 1 9 G41 G03 Y1", "G 1 8 G42 G02 X1.0000"},
    {"the exchange and a mirror in the XZ plane", All(Exchange(), XScale(-1)), "G18 G2 X1 Z1", "G19 G2 Y-1.0000 Z1.0000"},
    {"the exchange leaves the XY plane", Exchange(), "G17 G2 X1", "G17 G3 Y1.0000"},
    {"arc radius", Axes(2, 2, 1), "G2 X1 Y1 R1", "G2 X2.0000 Y2.0000 R2.0000"},
    {"mirrored arc radius keeps its sign", Axes(-2, 2, 1), "G3 X1 Y1 R-1", "G2 X-2.0000 Y2.0000 R-2.0000"},
    {"arc radius under unequal scales", Axes(2, 3, 1), "G2 X1 Y1 R1", "G2 X2.0000 Y3.0000 R1"},
    {"retract plane", Axes(2, 2, 3), "G81 X1 Y1 Z-2 R1", "G81 X2.0000 Y2.0000 Z-6.0000 R3.0000"},
    {"retract plane in XZ", Axes(1, 5, 1), "G18 G81 X1 Z1 R1", "G18 G81 X1.0000 Z1.0000 R5.0000"},
    {"retract plane removed with its axis", Axes(1, 1, 0), "G81 Z-1 R1 X1", "G81   X1.0000"},
    {"no radius on a straight move", Axes(2, 2, 2), "G1 X1 R1", "G1 X2.0000 R1"},
    {"no radius on an offset", Axes(2, 2, 2), "G2 G10 L2 P1 R45", "G2 G10 L2 P1 R45"},
    {"peck depth in a conversion of units", Units(25.4f), "G83 Z-5 R1 Q0.5", "G83 Z-127.0000 R25.4000 Q12.7000"},
    {"peck depth under a scale", Axes(2, 2, 2), "G83 Z-5 R1 Q0.5", "G83 Z-10.0000 R2.0000 Q0.5"},
    {"no peck in a drilling cycle", Units(25.4f), "G81 Z-5 Q0.5", "G81 Z-127.0000 Q0.5"},
};

// Positions and sizes measured on the machine take a conversion of units
// only, and the exchange leaves them.
const LineCase kMachinePositions[] = {
    {"machine move", All(Axes(2, 2, 2), Exchange()), "G53 G0 X1 Z-10 F100", "G53 G0 X1 Z-10 F100.0000"},
    {"machine move in a conversion of units", Units(25.4f), "G53 G0 Z-1", "G53 G0 Z-25.4000"},
    {"work offset", All(Axes(2, 2, 2), Exchange()), "G10 L2 P1 X10 Y5", "G10 L2 P1 X10 Y5"},
    {"tool data in a conversion of units", Units(25.4f), "g10 l1 p1 z1 i30", "G10 L1 P1 Z25.4000 I30"},
    {"work offset at the current position", Axes(2, 2, 2), "G10 L20 P1 X10", "G10 L20 P1 X20.0000"},
    {"an L word of another code", All(Axes(2, 2, 2), Exchange()), "G10 L3 X1", "G10 L3 Y2.0000"},
};

// S words that are no spindle speed, and axis words that are no positions.
const LineCase kMeanings[] = {
    {"dwell", Spindle(100), "G4 S3", "G4 S3"},
    {"a dwell with a P starts a spindle", Spindle(100), "G04 P.001 G0 X1 S1000 M3", "G04 P.001 G0 X1.0000 S1100. M3"},
    {"dwell with a leading zero", Spindle(100), "g04 s3 x1", "G04 S3 X1.0000"},
    {"offsets", Spindle(100), "G10 S200 P0", "G10 S200 P0"},
    {"hot end temperature", Spindle(100), "M104 S200", "M104 S200"},
    {"hot end off stays off", Spindle(100), "m104 s0", "M104 S0"},
    {"bed and wait", Spindle(100), "M190 S60", "M190 S60"},
    {"fan", Spindle(100), "M106 S255", "M106 S255"},
    {"the code after the word", Spindle(100), "S60 M140", "S60 M140"},
    {"a code that only begins like one", Spindle(100), "G40 S100", "G40 S200."},
    {"a longer M code keeps the words", Spindle(100), "M1040 S100", "M1040 S100"},
    {"after the comment the code counts for nothing", Spindle(100), "M3 S100 (M104)", "M3 S200. (M104)"},
    {"stepper currents", All(XScale(2), Exchange()), "G130 X20 Y20 Z20 A20", "G130 X20 Y20 Z20 A20"},
    {"steps per unit", XScale(-1), "M92 X80 Y80 E93", "M92 X80 Y80 E93"},
    {"axis limits", XScale(2), "M203 X500 Y500", "M203 X500 Y500"},
    {"motor current", XScale(2), "M906 X800", "M906 X800"},
    {"machining codes leave the words their meaning", All(XScale(2), Spindle(100)), "M3 S100 M8 X1 M30",
     "M3 S200. M8 X2.0000 M30"},
    // S and axis words are a speed and positions only next to the machining
    // M codes: any other keeps every word as read.
    {"a printer's speed factor", Spindle(100), "M220 S100", "M220 S100"},
    {"a probe's offset", All(XScale(2), Exchange()), "m851 x-30 y-10 z-1.2", "M851 X-30 Y-10 Z-1.2"},
    {"a user code on a move", XScale(2), "G1 X10 M101", "G1 X10 M101"},
    {"a code of blanks and digits", XScale(2), "M 1 0 1 X10", "M 1 0 1 X10"},
    {"a code given by an expression", XScale(2), "M[#1] X10", "M[#1] X10"},
    {"a message keeps the whole line", All(XScale(2), Exchange()), "M117 Printing x1", "M117 Printing x1"},
    {"a unit word still follows the conversion", Units(25.4f), "G20 M100 P1", "G21 M100 P1"},
    // An S word of 0 stops the spindle whatever the addend.
    {"a stopped spindle stays stopped", Spindle(100), "M3 S0", "M3 S0"},
    {"a speed of 0 written otherwise", Spindle(100), "M5 S 0.0", "M5 S 0.0"},
    // The dwell's P word is a word: not in a comment, not in a name.
    {"a P in a comment is no P word", Spindle(100), "G4 S3 (STEP 1)", "G4 S3 (STEP 1)"},
    {"a P in a name is no P word", Spindle(100), "G4 S3 X#<p1>", "G4 S3 X#<P1>"},
    {"a P word with a parameter", Spindle(100), "G4 P#1 S3", "G4 P#1 S103."},
};

// What a word means decides what the conversion does to it.
const LineCase kRoles[] = {
    // Tool lengths: a unit conversion alone, no mirror, no exchange.
    {"a dynamic tool length", Axes(2, 2, -1), "G43.1 Z5", "G43.1 Z5"},
    {"a dynamic tool length in a unit conversion", Units(25.4f), "G43.1 Z5", "G43.1 Z127.0000"},
    {"a tool length offset", Exchange(), "G43.2 X1", "G43.2 X1"},
    // Pitches and the sizes of a thread.
    {"a rigid tap's pitch", Axes(2, 2, 2), "G33.1 Z-10 K1.5 I2", "G33.1 Z-20.0000 K1.5 I2"},
    {"a rigid tap's pitch in a unit conversion", Units(25.4f), "G33.1 Z-10 K1.5", "G33.1 Z-254.0000 K38.1000"},
    {"a threading cycle", Axes(2, 2, 2), "G76 P1.5 Z-10 I-0.5 J0.2 K1 Q29.5 H3 E1 L3 R2",
     "G76 P1.5 Z-20.0000 I-0.5 J0.2 K1 Q29.5 H3 E1 L3 R2"},
    {"a threading cycle in a unit conversion", Units(25.4f), "G76 P1.5 Z-10 I-0.5 J0.2 K1 Q29.5 H3 E1 L3 R2",
     "G76 P38.1000 Z-254.0000 I-12.7000 J5.0800 K25.4000 Q29.5 H3 E25.4000 L3 R2"},
    // Tapping feeds: a unit conversion alone, never the feed settings.
    {"a tapping feed", All(Axes(2, 2, 2), Feed(1.5f, 10)), "G84 X1 Y1 Z-2 R1 F100",
     "G84 X2.0000 Y2.0000 Z-4.0000 R2.0000 F100"},
    {"a tapping feed in a unit conversion", All(Units(25.4f), Feed(1.5f, 10)), "g74 z-1 r1 f100",
     "G74 Z-25.4000 R25.4000 F2540.0000"},
    // Splines: P and Q take the scales of X and Y, and trade with them.
    {"a spline", Axes(2, 3, 1), "G5 X10 Y10 I5 J0 P0 Q-5",
     "G5 X20.0000 Y30.0000 I10.0000 J0.0000 P0.0000 Q-15.0000"},
    {"an exchanged spline", Exchange(), "G5 X10 Y10 I5 J0 P0 Q-5", "G5 Y10.0000 X10.0000 J5.0000 I0.0000 Q0.0000 P-5.0000"},
    {"an exchanged spline's parameter", Exchange(), "G5 X1 Y1 I1 J0 P#1 Q-", "G5 Y1.0000 X1.0000 J1.0000 I0.0000 Q#1 Q-"},
    {"a rotated spline, a removal on the way", All(XScale(0), Exchange()), "G5 X1 Y1 I1 J0 P1 Q2 P3",
     "G5  X1.0000  I0.0000  P2.0000 P3"},
    // R and Q off the lines that move.
    {"a spindle's angle", Axes(2, 2, 2), "M19 R90", "M19 R90"},
    {"a timeout", Units(25.4f), "M66 P0 L3 Q5", "M66 P0 L3 Q5"},
    {"an analog output's value", Units(25.4f), "G83 X1 M67 E0 Q5", "G83 X25.4000 M67 E0 Q5"},
    {"an offset's rotation", Axes(2, 2, 2), "G10 L2 P1 R30", "G10 L2 P1 R30"},
    {"a path tolerance in a unit conversion", Units(static_cast<float>(0.039370078740)), "G64 P0.254 Q0.127",
     "G64 P0.0100 Q0.0050"},
    {"a dynamic compensation's diameter", Units(25.4f), "G41.1 D0.25 X1", "G41.1 D6.3500 X25.4000"},
    // Code numbers read as the interpreter reads them.
    {"G2 0 is G20", XScale(-1), "G2 0 X1", "G2 0 X-1.0000"},
    {"G2 0 in a unit conversion", Units(25.4f), "G2 0", "G2 1"},
    {"G0 2 is an arc", XScale(-1), "G0 2 X1", "G0 3 X-1.0000"},
    // Polar words where X and Y have scales of one size.
    {"a polar radius", Axes(2, 2, 1), "G1 @5 ^30", "G1 @10.0000 ^30"},
    {"a polar angle mirrored in X", XScale(-1), "G1 @5 ^30", "G1 @5 ^150.0000"},
    {"a polar angle mirrored in Y", YScale(-1), "G1 @5 ^30", "G1 @5 ^-30.0000"},
    {"a polar angle exchanged", Exchange(), "G1 @5 ^30", "G1 @5 ^60.0000"},
    {"a polar angle rotated", All(Exchange(), YScale(-1)), "G1 @5 ^30", "G1 @5 ^120.0000"},
    {"a polar angle turned half round", All(XScale(-2), YScale(-2)), "G1 @5 ^30", "G1 @10.0000 ^210.0000"},
    {"a polar angle given by a parameter", XScale(-1), "G1 @5 ^#1", "G1 @5 ^[#1*-1.0000000+180.0000000]"},
    {"an increment of the angle mirrored", XScale(-1), "G91 G1 @1 ^30", "G91 G1 @1 ^-30.0000"},
    {"an increment of the angle rotated", All(Exchange(), YScale(-1)), "G91 G1 @1 ^30", "G91 G1 @1 ^30"},
    {"polar words under unequal scales", Axes(2, 3, 1), "G1 @5 ^30", "G1 @5 ^30"},
    // Increments keep the digits they need, so that no rounding adds up.
    {"a spiral's step at half size", Axes(0.5f, 0.5f, 1), "G91 G1 @-.0025 ^4.5", "G91 G1 @-0.00125 ^4.5"},
    {"an increment in a unit conversion", Units(25.4f), "G91 G1 X.1234 Y1 I.1234", "G91 G1 X3.13436 Y25.4000 I3.1344"},
    {"an increment of ten decimals at most", Units(static_cast<float>(0.039370078740)), "G91 G1 Z0.001",
     "G91 G1 Z0.0000393701"},
    {"a position keeps four decimals", Units(25.4f), "G90 G1 X.1234", "G90 G1 X3.1344"},
    // Named parameters keep their names whichever way the exchange is done.
    {"a named parameter under the exchange", Exchange(), "G1 X#<_x> (#<_x>)", "G1 Y#<_X> (#<_Y>)"},
    {"a named parameter under a removal", All(YScale(0), Exchange()), "G1 X#<_x> Y2 #<_y>", "G1 Y#<_X>  #<_Y>"},
    {"a named parameter next to marker text", Exchange(), "G1 X#<_x> __TEMP1__", "G1 Y#<_X> X"},
};

// LinuxCNC's dialect: O-word lines pass as read; an expression or a
// parameter is left whole, and where the settings change its word it goes
// into one bracket expression that scales it when the program runs.
const LineCase kDialect[] = {
    {"o-word line", Feed(0, 0), "o110 if [#2 gt 0]", "o110 if [#2 gt 0]"},
    {"o-word line after blanks", Spindle(100), "  O100 sub", "  O100 sub"},
    {"function in an expression", YScale(2), "G1 X[FIX[#1]] Y2 F100", "G1 X[FIX[#1]] Y4.0000 F100.0000"},
    {"numbered parameter", YScale(2), "G1 X#1 Y2", "G1 X#1 Y4.0000"},
    {"named parameter holding a letter", XScale(2), "G1 Y#<xpos> X3", "G1 Y#<XPOS> X6.0000"},
    {"exchange leaves a parameter name", Exchange(), "G1 X#<xpos> Y1", "G1 Y#<XPOS> X1.0000"},
    {"division in an expression", YScale(2), "G1 X[#1/2] Y3", "G1 X[#1/2] Y6.0000"},
    {"a hash that starts no parameter leads a comment", XScale(2), "G1 X1 # note", "G1 X2.0000 # NOTE"},
    {"parameter feed does not abort", Neutral, "F#<feed>", "F#<FEED>"},
    {"letters without a number are no words", Neutral, "EMC_ABORT_TASK_STATE_OFF = 4,", "EMC_ABORT_TASK_STATE_OFF = 4,"},
    {"negated parameter", XScale(2), "G1 X-#1 Y1", "G1 X[-#1*2.0000000] Y1.0000"},
    {"expression scaled in place", XScale(2), "G1 x [#1+2] Y1", "G1 X[[#1+2]*2.0000000] Y1.0000"},
    {"mirrored parameter", XScale(-1), "G1 X#1", "G1 X[#1*-1.0000000]"},
    {"feed expression multiplied and offset", Feed(1.5f, 10), "F#<feed>", "F[#<FEED>*1.5000000+10.0000000]"},
    {"feed expression offset only, negatively", Feed(1, -5), "G1 F[#1]", "G1 F[[#1]-5.0000000]"},
    {"spindle expression offset as a whole speed", Spindle(100), "M3 S#1", "M3 S[#1+100.]"},
    {"a scale of 0 removes the word with its value", XScale(0), "G1 X[#1+2] Y1", "G1  Y1.0000"},
    {"the exchange trades the letter only", All(XScale(2), Exchange()), "G1 X#1 Y[#2]", "G1 Y[#1*2.0000000] X[#2]"},
    {"a radius expression", All(XScale(2), YScale(2)), "G2 X1 Y1 R#1", "G2 X2.0000 Y2.0000 R[#1*2.0000000]"},
    {"a point before a parameter makes no number", XScale(2), "G1 X.#1", "G1 X.#1"},
    {"a value whose brackets do not close in order stays", XScale(2), "G1 X#<a[b> Y1 F#2", "G1 X#<A[B> Y1.0000 F#2"},
    {"a hash that starts no parameter leaves the word without a number", XScale(2), "G1 X# note", "G1 X# NOTE"},
    {"unmatched bracket protects to the end", Exchange(), "G1 X1 [y2", "G1 Y1.0000 [Y2"},
    {"parameter of a parameter", XScale(2), "G1 X##2 Z1", "G1 X[##2*2.0000000] Z1.0000"},
    {"polar words stay", XScale(2), "G1 @5 ^30", "G1 @5 ^30"},
};

INSTANTIATE_TEST_SUITE_P(Classification, ProcessLineTest, ::testing::ValuesIn(kClassification));
INSTANTIATE_TEST_SUITE_P(Dialect, ProcessLineTest, ::testing::ValuesIn(kDialect));
INSTANTIATE_TEST_SUITE_P(Words, ProcessLineTest, ::testing::ValuesIn(kWords));
INSTANTIATE_TEST_SUITE_P(Numbers, ProcessLineTest, ::testing::ValuesIn(kNumbers));
INSTANTIATE_TEST_SUITE_P(Meanings, ProcessLineTest, ::testing::ValuesIn(kMeanings));
INSTANTIATE_TEST_SUITE_P(Roles, ProcessLineTest, ::testing::ValuesIn(kRoles));
INSTANTIATE_TEST_SUITE_P(UnitWords, ProcessLineTest, ::testing::ValuesIn(kUnitWords));
INSTANTIATE_TEST_SUITE_P(Modes, ProcessLineTest, ::testing::ValuesIn(kModes));
INSTANTIATE_TEST_SUITE_P(MachinePositions, ProcessLineTest, ::testing::ValuesIn(kMachinePositions));

// A hostile line of a million block-delete slashes converts like one with
// a single slash (one call per slash would overflow the stack).
TEST(ProcessLine, AMillionBlockDeleteSlashesConvertLikeOne) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = 2;
  LineProcessor processor(settings);
  const std::string slashes = std::string(1000000, '/') + " /";
  std::string line = slashes + " G1 X1";
  ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done);
  // The words behind the last slash are trimmed, as on any rewritten line.
  // Compared in two parts, so that a fault does not print a million slashes.
  EXPECT_EQ(line.compare(0, slashes.size(), slashes), 0);
  EXPECT_EQ(line.substr(std::min(line.size(), slashes.size() - 2)), " /G1 X2.0000");
}

// Lines converted in turn by one processor, each as its pair says.
void ExpectLinesInTurn(const Settings& settings, std::initializer_list<std::pair<std::string, std::string>> lines) {
  LineProcessor processor(settings);
  for (const auto& [input, output] : lines) {
    std::string line = input;
    ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::Done) << input;
    EXPECT_EQ(line, output) << input;
  }
}

// The plane and the motion mode hold from the line that sets them on.
TEST(ProcessLine, ModesRunFromLineToLine) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = -2;
  settings.YScale = 2;
  settings.ZScale = 3;
  ExpectLinesInTurn(settings, {
      {"G2 X1 Y1 R1", "G3 X-2.0000 Y2.0000 R2.0000"},
      {"X2 Y2 R2", "X-4.0000 Y4.0000 R4.0000"},
      {"G81 Z-1 R1", "G81 Z-3.0000 R3.0000"},
      {"X1 R2", "X-2.0000 R6.0000"},
      {"G80", "G80"},
      {"X1 R2", "X-2.0000 R2"},
      {"G18", "G18"},
      {"G2 X1 Z1 R1", "G3 X-2.0000 Z3.0000 R1"},
      {"G17 G2 X1 Y1", "G17 G3 X-2.0000 Y2.0000"},
      // A line that opens with a comment sets the modes all the same.
      {"(A) G19", "(A) G19"},
      {"G2 Y1 Z1", "G2 Y2.0000 Z3.0000"},
      {"#1=2 (b) G17", "#1=2 (b) G17"},
      {"G2 X1 Y1", "G3 X-2.0000 Y2.0000"},
      // So do the distance mode and the motions that give words a meaning.
      {"G91", "G91"},
      {"G1 ^10", "G1 ^-10.0000"},
      {"G90 G1 ^10", "G90 G1 ^170.0000"},
      {"G84 Z-1 R1 F100", "G84 Z-3.0000 R3.0000 F100"},
      {"X1 F100", "X-2.0000 F100"},
      {"G1 X1 F100", "G1 X-2.0000 F100.0000"},
  });
}

TEST(ProcessLine, NamesTheWordOutOfRange) {
  Settings settings;
  AssignDefaults(settings);
  LineProcessor processor(settings);
  const std::string word = "Y3" + std::string(39, '0');
  std::string line = "G01 X1 " + word + " Z1";
  ASSERT_EQ(processor.ProcessLine(line), RewriteStatus::OutOfRange);
  EXPECT_EQ(processor.failed_word(), word);
}

TEST(ProcessLine, NothingCarriesOverFromOneLineToTheNext) {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = 2;
  settings.SpindleRPM = 10;
  ExpectLinesInTurn(settings, {
      {"g01 x1 y2 f100 s5 (long comment here)", "G01 X2.0000 Y2.0000 F100.0000 S15. (LONG COMMENT HERE)"},
      {"x3", "X6.0000"},
      {"(kept)", "(kept)"},
      {"g01 x1 y2 f100 s5 (long comment here)", "G01 X2.0000 Y2.0000 F100.0000 S15. (LONG COMMENT HERE)"},
  });
}

}  // namespace
}  // namespace kivrel
