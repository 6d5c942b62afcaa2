// Whole conversions by the real program, compared byte for byte.
#include <gtest/gtest.h>

#include "platform/error_number.h"
#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

class ConversionE2E : public ::testing::Test {
 protected:
  ConversionE2E() { program.Settings(kDefaultSettings); }

  // Converts `input` and returns the output's program lines (the text
  // between the comment block and the closing comment).
  std::string Convert(const std::string& input) {
    WriteFile(program.Job("part.nc"), input);
    ProgramRun run = program.Run({program.Job("part.nc")});
    EXPECT_EQ(run.status, 0) << run.errors;
    const std::string output = ReadFile(program.Job("part.pr1"));
    const std::string block = CommentBlock();
    const std::string end = kFinished;
    EXPECT_EQ(output.substr(0, block.size()), block);
    EXPECT_EQ(output.substr(output.size() - end.size()), end);
    return output.substr(block.size(), output.size() - block.size() - end.size());
  }

  ProgramFolder program;
};

TEST_F(ConversionE2E, ProgramsConvertLineByLine) {
  const std::string kept = "(move x)\r\n%\r\n#100=5\r\nn10 m20addition x1\r\n\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"G1 X1\r\nG1 X2", "G1 X1.0000\r\nG1 X2.0000\r\n"},  // the last line without a line end
      // Every kind of line end becomes CR LF.
      {"G1 X1\r\nG1 X2\r\n", "G1 X1.0000\r\nG1 X2.0000\r\n"},
      {"G1 X1\nG1 X2\n", "G1 X1.0000\r\nG1 X2.0000\r\n"},
      {"G1 X1\rG1 X2\r", "G1 X1.0000\r\nG1 X2.0000\r\n"},
      {"G1 X1\n\nG1 X2\r\r\n", "G1 X1.0000\r\n\r\nG1 X2.0000\r\n\r\n"},
      // Lines that pass keep their case.
      {kept + "/g01 x1\r\ng04 p500 (dwell)\r\n", kept + "/G01 X1.0000\r\nG04 P500 (DWELL)\r\n"},
      // Bytes outside the ASCII letters pass unchanged.
      {std::string("g1 x1 (\xc3\xa4\0\xff)\r\n", 14), std::string("G1 X1.0000 (\xc3\xa4\0\xff)\r\n", 19)},
  };
  for (const auto& [input, lines] : cases) {
    SCOPED_TRACE(input);
    EXPECT_EQ(Convert(input), lines);
  }
}

TEST_F(ConversionE2E, ExchangeReachesTheComment) {
  program.Settings({"3", "2", "1", "1", "1", "True", "0", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), "g02 x1 y2 i0.5 j-1 (max)\r\n");
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), Output("G03 Y2.0000 X6.0000 J1.0000 I-3.0000 (MAY)\r\n",
                                                      {.y = "3.0000000", .x = "2.0000000", .exchange = true}));
}

TEST_F(ConversionE2E, EveryRuleAtOnce) {
  program.Settings({"2", "25.4", "0.5", "0", "1.5", "False", "10", "1000.", "EOF"});
  WriteFile(program.Job("part.nc"),
            "g01 x1.5 y-2 z4 a90 f100 s12000 (cut)\r\ng02 x1 y1 i.5 j0 k1\r\nM03 S1000.6\r\n");
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  const std::string output = ReadFile(program.Job("part.pr1"));
  EXPECT_EQ(output.substr(output.find("(SpindleRPM:1000. )\r\n") + 21),
            "G01 X38.1000 Y-4.0000 Z2.0000  F160.0000 S13000. (CUT)\r\n"
            "G02 X25.4000 Y2.0000 I12.7000 J0.0000 K0.5000\r\n"
            "M03 S2001.\r\n(Finished Kivrel)");
}

TEST_F(ConversionE2E, ZeroFeedInTheMiddle) {
  WriteFile(program.Job("part.nc"), "G1 X1 F10\r\nG1 X2 F0\r\nG1 X3\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "Kivrel: Feed rate of 0 has been introduced. Check your feed rate modifier. This will cause "
            "a problem. Exiting now.\nKivrel: the feed word of line 2 is 0 in the program itself\n");
  EXPECT_EQ(program.Result(), kZeroFeedResult);
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");

  std::filesystem::remove(program.Job("part.pr1"));
  EXPECT_EQ(program.Run({program.Job("part.nc")}).status, 2);
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc ") << "no partial program";
}

// Where the settings make the feed 0, the line says so, as the message does.
TEST_F(ConversionE2E, ZeroFeedMadeByTheSettings) {
  program.Settings({"1", "1", "1", "1", "1", "False", "-10", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), "G1 X1 F20\r\nG1 X2 F10\r\n");
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("\nKivrel: the feed word of line 2 comes out as 0\n"), std::string::npos) << run.errors;
  EXPECT_EQ(program.Result(), kZeroFeedResult);
}

// A UTF-8 byte-order mark stays the first bytes of the output, ahead of the
// comment block (and of a first "%" line the filter moves up); the lines are
// read without it.
TEST_F(ConversionE2E, ByteOrderMarkStaysFirst) {
  const std::string mark = "\xEF\xBB\xBF";
  WriteFile(program.Job("part.nc"), mark + "%\r\nx1\r\n%\r\n");
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), mark + Output("%\r\nX1.0000\r\n%\r\n"));
  const ProgramRun filtered = program.Filter({program.Job("part.nc")});
  ASSERT_EQ(filtered.status, 0) << filtered.errors;
  EXPECT_EQ(filtered.output, mark + "%\r\n" + Output("X1.0000\r\n%\r\n"));
}

TEST_F(ConversionE2E, NumberBeyondTheRangeEndsTheRunWithNothingLeft) {
  WriteFile(program.Path("prepre.res"), "stale");
  WriteFile(program.Job("part.nc"), "G1 X1\r\nG1 X1" + std::string(39, '0') + "\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 3);
  // Numbered as the platform numbers an overflow: 34 on POSIX, 534 on Windows.
  EXPECT_EQ(run.errors, "Kivrel: error " + std::to_string(PlatformErrorNumber(std::errc::result_out_of_range)) +
                            ": number out of range in line 2, word X1" + std::string(39, '0') + "\n");
  EXPECT_FALSE(program.HasResult());
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc ");
}

TEST_F(ConversionE2E, ProgressWindowChangesNoByte) {
  if (OnWindows()) GTEST_SKIP() << "under wine the display belongs to the whole wine session, not to one start; "
                                   "the Windows GUI tests convert with the progress window in their own process";
  program.Settings({"2", "25.4", "1", "1", "1.5", "True", "10", "1000.", "EOF"});
  std::string input;
  for (int i = 0; i < 2500; ++i) input += "g1 x" + std::to_string(i) + " y2 f100 s50 (x)\r\n";
  WriteFile(program.Job("part.nc"), input);
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  const std::string headless = ReadFile(program.Job("part.pr1"));
  std::filesystem::remove(program.Job("part.pr1"));
  ProgramRun windowed = program.Run({program.Job("part.nc")}, "", {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(windowed.status, 0) << windowed.errors;
  EXPECT_EQ(windowed.errors.find("QStandardPaths"), std::string::npos) << "Qt's own warnings stay off standard error";
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), headless);
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));
}

TEST_F(ConversionE2E, StaleDisplayFallsBackToTheConsole) {
  if (OnWindows()) GTEST_SKIP() << "DISPLAY names an X server; on Windows an interactive desktop decides";
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")}, "", {"DISPLAY=:97", "WAYLAND_DISPLAY=no-such"});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), Output("G1 X1.0000\r\n"));
}

TEST_F(ConversionE2E, MissingGuiModuleFallsBackToTheConsole) {
  if (OnWindows()) GTEST_SKIP() << "on Windows the windows are part of kivrel.exe, not a module beside it";
  std::filesystem::remove(program.Path("kivrel-gui.so"));
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")}, "", {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.errors.find("Kivrel: the windows cannot be loaded"), std::string::npos) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), Output("G1 X1.0000\r\n"));
}

TEST_F(ConversionE2E, HeadlessStartDoesNotLoadTheWindowSystem) {
  if (OnWindows()) GTEST_SKIP() << "LD_DEBUG is the Linux loader's; kivrel.exe links its windows in";
  WriteFile(program.Job("part.nc"), "G1 X1\r\nG1 X2\r\nG1 X3\r\nG1 X4\r\nG1 X5\r\n"
                                    "G1 X6\r\nG1 X7\r\nG1 X8\r\nG1 X9\r\nG1 X10\r\n");
  // The dynamic loader reports every library it loads.
  ProgramRun headless = program.Run({program.Job("part.nc")}, "", {"LD_DEBUG=files"});
  ASSERT_EQ(headless.status, 0);
  EXPECT_NE(headless.errors.find("libc.so"), std::string::npos) << "the loader reported nothing";
  EXPECT_EQ(headless.errors.find("Qt6"), std::string::npos);
  EXPECT_EQ(headless.errors.find("kivrel-gui"), std::string::npos);

  ProgramRun windowed = program.Run({program.Job("part.nc")}, "", {"LD_DEBUG=files", "QT_QPA_PLATFORM=offscreen"});
  ASSERT_EQ(windowed.status, 0);
  EXPECT_NE(windowed.errors.find("libQt6Widgets"), std::string::npos);
}

TEST_F(ConversionE2E, LargeProgramStreamsThrough) {
  std::string input;
  std::string expected;
  for (int i = 0; i < 30000; ++i) {
    input += "g1 x" + std::to_string(i) + " y-" + std::to_string(i % 97) + ".5 f300\n";
    expected += "G1 X" + std::to_string(i) + ".0000 Y-" + std::to_string(i % 97) + ".5000 F300.0000\r\n";
  }
  EXPECT_EQ(Convert(input), expected);
}

}  // namespace
}  // namespace kivrel::testing
