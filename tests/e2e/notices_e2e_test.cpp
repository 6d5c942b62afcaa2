// Toolpath notices from the real programs: warnings on standard error, and
// everything else as without them.
#include <gtest/gtest.h>

#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

constexpr const char* kProgram =
    "G21 G90\r\n"
    "G0 X0 Y0\r\n"
    "G1 X10 Y0 R5 F200\r\n"
    "(first quadrant) X1 Y2\r\n"
    "/G1 X5 Y5\r\n"
    "G3 X0 Y0 R5\r\n"
    "G1 X1 R2\r\n"
    "M851 Z-1.2 (offset of the probe)\r\n"
    "M2\r\n";

// The lines of the converted program: nine lines of settings come first.
constexpr const char* kWarnings =
    "Kivrel: warning: Line 12 (and 1 more): R words are not scaled: radius arcs and canned-cycle R planes "
    "will be wrong\n"
    "Kivrel: warning: Line 17: words on lines with other M codes are left as they are: first M851\n";

// Line `number` (from 1) of a text with CR LF line ends.
std::string LineOf(const std::string& text, int number) {
  std::size_t start = 0;
  for (int n = 1; n < number; ++n) start = text.find("\r\n", start) + 2;
  return text.substr(start, text.find("\r\n", start) - start);
}

TEST(NoticesE2E, WarnAfterAFinishedConversion) {
  ProgramFolder program;
  program.Settings({"2", "2", "2", "1", "1", "False", "0", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), kProgram);
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, kWarnings);
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));
  const std::string output = ReadFile(program.Job("part.pr1"));
  EXPECT_NE(output.find("G1 X20.0000 Y0.0000 R5 F200.0000\r\n"), std::string::npos) << "bytes as ever";
  EXPECT_NE(output.find("(first quadrant) X2.0000 Y4.0000\r\n"), std::string::npos);
  EXPECT_NE(output.find("M851 Z-1.2 (OFFSET OF THE PROBE)\r\n"), std::string::npos);
  EXPECT_NE(output.find("/G1 X10.0000 Y10.0000\r\nG3 X0.0000 Y0.0000 R10.0000\r\n"), std::string::npos);

  const ProgramRun filtered = program.Filter({program.Job("part.nc")});
  EXPECT_EQ(filtered.status, 0);
  EXPECT_EQ(filtered.output, output);
  EXPECT_EQ(filtered.errors.substr(filtered.errors.find("Kivrel:")), kWarnings);
}

// A printer's program under scales, the exchange and a spindle addend: its
// temperatures, fans, factors, offsets and messages stay as they are, its
// moves are converted, and the notices name the first of each.
TEST(NoticesE2E, PrinterCodesKeepTheirWords) {
  ProgramFolder program;
  program.Settings({"2", "2", "2", "1", "1", "True", "0", "100.", "EOF"});
  const std::string kept =
      "M140 S60 ; bed\r\n"
      "M104 S210 ; hot end\r\n"
      "M190 S60\r\n"
      "M109 S210 R215\r\n"
      "G28 ; home all\r\n"
      "M82\r\n"
      "M220 S100\r\n"
      "M221 S95\r\n"
      "M851 X-30 Y-10 Z-1.2\r\n"
      "M900 K0.04\r\n"
      "M117 Printing x1 y2 (first layer)\r\n";
  const std::string ending = "M106 S255\r\nM107\r\nM104 S0\r\nM140 S0\r\nM84 S600\r\n";
  WriteFile(program.Job("part.gcode"),
            "; sliced for a 0.4 nozzle\r\nG21\r\n" + kept + "G1 Z0.3 F3000\r\nG1 X10 Y20 E1.5 F1500\r\n" + ending);
  const ProgramRun run = program.Run({program.Job("part.gcode")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors,
            "Kivrel: warning: Line 12 (and 9 more): words on lines with other M codes are left as they are: first "
            "M140\n"
            "Kivrel: warning: Line 24: E words (extrusion) are not scaled\n");
  const std::string output = ReadFile(program.Job("part.pr1"));
  EXPECT_EQ(output.substr(output.find("(SpindleRPM:100. )\r\n") + 20),
            "; sliced for a 0.4 nozzle\r\nG21\r\n" + kept + "G1 Z0.6000 F3000.0000\r\nG1 Y20.0000 X40.0000 E1.5 F1500.0000\r\n" +
                ending + "(Finished Kivrel)");
  const ProgramRun filtered = program.Filter({program.Job("part.gcode")});
  EXPECT_EQ(filtered.output, output);
}

// The most dangerous case: an inch program converted to millimetres that
// kept its G20 would be cut 25.4 times too large. The conversion names its
// units; a program in millimetres already is warned of.
TEST(NoticesE2E, ConversionToMillimetresNamesItsUnits) {
  ProgramFolder program;
  program.Settings({"25.4", "25.4", "25.4", "25.4", "25.4", "False", "0", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), "%\r\n(inch part)\r\nG20 G90\r\nG0 X1 Y0.5\r\nG1 Z-0.1 F10\r\nM30\r\n%\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  std::string output = ReadFile(program.Job("part.pr1"));
  EXPECT_EQ(output.substr(output.find("(SpindleRPM:0. )\r\n") + 18),
            "%\r\n(inch part)\r\nG21 G90\r\nG0 X25.4000 Y12.7000\r\nG1 Z-2.5400 F254.0000\r\nM30\r\n%\r\n"
            "(Finished Kivrel)");

  WriteFile(program.Job("part.nc"), "%\r\n(mm part)\r\nG21 G90\r\nG0 X1\r\nM30\r\n%\r\n");
  run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.errors,
            "Kivrel: warning: Line 12: G21: the program is in millimetres already, yet the settings convert it from "
            "inches\n");
  output = ReadFile(program.Job("part.pr1"));
  // The line named is that line of the converted program, with a first "%"
  // line moved up by the filter as well.
  EXPECT_EQ(LineOf(output, 12), "G21 G90");
  const ProgramRun filtered = program.Filter({program.Job("part.nc")});
  EXPECT_EQ(filtered.errors.substr(filtered.errors.find("Kivrel:")), run.errors);
  EXPECT_EQ(LineOf(filtered.output, 12), "G21 G90");
}

TEST(NoticesE2E, NoneAfterAZeroFeedRate) {
  ProgramFolder program;
  program.Settings({"2", "2", "2", "1", "1", "False", "0", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), std::string(kProgram) + "G1 X1 F0\r\n");
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors.find("warning"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace kivrel::testing
