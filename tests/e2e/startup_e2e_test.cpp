// The real program, started as a host starts it, with whole files compared.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

TEST(StartupE2E, FirstStartCreatesTheDefaultParameterFile) {
  ProgramFolder program;
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "Kivrel: Settings file not found. Creating one now.\n");
  EXPECT_EQ(ReadFile(program.Path("kivrel.prm")), kDefaultPrm);
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), Output("G1 X1.0000\r\n"));
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));
}

TEST(StartupE2E, SetupModeWithoutADisplayPrintsTheSettings) {
  ProgramFolder program;
  program.Settings({"25.4", "2", "1", "1", "1", "True", "0", "800.", "EOF"});
  const std::string prm = ReadFile(program.Path("kivrel.prm"));
  for (const auto& arguments : {std::vector<std::string>{}, std::vector<std::string>{"SETUP"},
                                std::vector<std::string>{"/x/SETUP/part.nc"}}) {
    ProgramRun run = program.Run(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, CommentBlock({.y = "25.4000000", .x = "2.0000000", .exchange = true, .rpm = "800.", .end = "\n"}) +
                              "Parameter file: " + program.Path("kivrel.prm") + "\n");
    EXPECT_EQ(program.Result(), kSetupResult);
    EXPECT_EQ(ReadFile(program.Path("kivrel.prm")), prm);
  }
  // Lower case is no setup request: it is an input path, and it is missing.
  ProgramRun lower = program.Run({"setup"});
  EXPECT_EQ(lower.status, 1);
  EXPECT_EQ(program.Result(), ResultText("setup.pr1", 1));
}

TEST(StartupE2E, MissingInputCreatesNothing) {
  ProgramFolder program;
  program.Settings(kDefaultSettings);
  ProgramRun run = program.Run({program.Job("missing.nc")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Kivrel: input file not found: " + program.Job("missing.nc") + "\n");
  EXPECT_EQ(program.Result(), ResultText(program.Job("missing.pr1"), 1));
  EXPECT_EQ(ListFolder(program.jobs()), "");
}

// "--help" and "--version" are answered on standard output and touch no
// file; a file of that name is a program to convert.
TEST(StartupE2E, HelpAndVersionTouchNoFile) {
  ProgramFolder program;
  const std::string stale = ResultText("other.pr1");
  WriteFile(program.Path("prepre.res"), stale);
  for (const bool filter : {false, true}) {
    for (const char* asked : {"--help", "--version"}) {
      SCOPED_TRACE(std::string(filter ? "kivrel-filter " : "kivrel ") + asked);
      const ProgramRun run = filter ? program.Filter({asked}) : program.Run({asked});
      EXPECT_EQ(run.status, 0);
      EXPECT_EQ(run.errors, "");
      EXPECT_EQ(run.output.rfind(asked == std::string("--help") ? (filter ? "Usage: kivrel-filter PATH\n"
                                                                           : "Usage: kivrel PATH\n")
                                                                : "Kivrel 4.0.1\n",
                                 0),
                0u)
          << run.output;
      EXPECT_EQ(program.Result(), stale);
      EXPECT_FALSE(std::filesystem::exists(program.Path("kivrel.prm")));
    }
  }
  WriteFile(program.Job("--help"), "G1 X1\r\n");
  const ProgramRun converted = program.Filter({"--help"});
  EXPECT_EQ(converted.status, 0) << converted.errors;
  EXPECT_NE(converted.output.find("G1 X1.0000\r\n"), std::string::npos) << converted.output;
}

TEST(StartupE2E, CommentBlockRecordsTheSettings) {
  struct Case {
    std::vector<std::string> prm;
    Block block;
  };
  const Case cases[] = {
      {{"25.4", "25.4", "1", "1", "1", "False", "0", "0.", "EOF"}, {.y = "25.4000000", .x = "25.4000000"}},
      {{"0.0393700800", "0.03937008", "-2.5", "0", "0.0393700787", "True", "-12.5", "1500.6", "True", "EOF"},
       {.y = "0.0393701", .x = "0.0393701", .z = "-2.5000000", .a = "0.0000000", .feed = "0.0393701",
        .exchange = true, .feed_add = "-12.5000000", .rpm = "1501."}},
  };
  for (const Case& c : cases) {
    ProgramFolder program;
    program.Settings(c.prm);
    WriteFile(program.Job("empty.nc"), "");
    ProgramRun run = program.Run({program.Job("empty.nc")});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(ReadFile(program.Job("empty.pr1")), Output("", c.block));
  }
}

// Each input, named in the arguments, is converted into the output beside
// it, which replaces an earlier one whole; the result file names it.
TEST(StartupE2E, OutputNames) {
  ProgramFolder program;
  program.Settings(kDefaultSettings);
  std::filesystem::create_directory(program.jobs() / "cnc.old");
  struct Case {
    std::string input;
    std::string output;
    std::vector<std::string> arguments = {};  // none: the input's whole path
    std::string named = "";                    // none: the output's whole path
  };
  const Case cases[] = {
      {"part.nc", "part.pr1"},     {"PART.NC", "PART.pr1"},     {"part.tap", "part.pr1"},
      {"part.pr1", "part.pr2"},    {"part.nc3", "part.pr4"},    {"part.pr9", "part.pr10"},
      {"part.pr10", "part.pr11"},  {"part.pr0", "part.pr1"},    {"cnc.old/part", "cnc.old/part.pr1"},
      {"SETUP_2.nc", "SETUP_2.pr1"},
      // The host's command tail arrives split at the blank: one path all the same.
      {"my part.nc", "my part.pr1", {program.Job("my"), "part.nc"}},
      // A name without a dot, in the working folder: its output beside it.
      {"part", "part.pr1", {"part"}, "part.pr1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    WriteFile(program.Job(c.input), "G1 X1\r\n");
    WriteFile(program.Job(c.output), std::string(100000, 'o'));
    ProgramRun run = program.Run(c.arguments.empty() ? std::vector<std::string>{program.Job(c.input)} : c.arguments);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(program.Result(), ResultText(c.named.empty() ? program.Job(c.output) : c.named));
    EXPECT_EQ(ReadFile(program.Job(c.output)), Output("G1 X1.0000\r\n"));
  }
}

TEST(StartupE2E, QuotesAreNotRemoved) {
  if (OnWindows()) GTEST_SKIP() << "Windows unquotes a wholly quoted tail (WindowsE2E holds it)";
  ProgramFolder program;
  program.Settings(kDefaultSettings);
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = program.Run({"\"part.nc\""});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(program.Result(), ResultText("\"part.pr1", 1));
}

TEST(StartupE2E, ChainedRunsCountUp) {
  ProgramFolder program;
  program.Settings({"1", "2", "1", "1", "1", "False", "0", "0.", "EOF"});
  WriteFile(program.Job("part.nc"), "g1 x1\r\n");
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  ASSERT_EQ(program.Run({program.Job("part.pr1")}).status, 0);
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr2")));
  const std::string block = CommentBlock({.x = "2.0000000"});
  EXPECT_EQ(ReadFile(program.Job("part.pr2")), block + block + "G1 X4.0000\r\n(Finished Kivrel)\r\n" + kFinished);
}

TEST(StartupE2E, ResultFileLivesBesideTheProgram) {
  ProgramFolder program;
  program.Settings(kDefaultSettings);
  TempFolder elsewhere;
  TempFolder input_folder;
  WriteFile(input_folder / "part.nc", "G1 X1\r\n");
  ProgramRun run = program.Run({input_folder / "part.nc"}, elsewhere.path().string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(program.Result(), ResultText(input_folder / "part.pr1"));
  EXPECT_EQ(ListFolder(elsewhere.path()), "");
  EXPECT_EQ(ListFolder(input_folder.path()), "part.nc part.pr1 ");
}

// Installed, the program is started through a link in PREFIX/bin: its files
// stay beside the real program.
TEST(StartupE2E, StartThroughALinkKeepsItsFilesBesideTheRealProgram) {
  if (OnWindows()) GTEST_SKIP() << "Windows starts programs through shortcuts, which are no links";
  ProgramFolder program;
  TempFolder bin;
  std::filesystem::create_symlink(PathOf(program.Program()), bin.path() / "kivrel");
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = RunProgramAt(bin / "kivrel", {program.Job("part.nc")}, Utf8(program.jobs()));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));
  EXPECT_TRUE(std::filesystem::exists(PathOf(program.Path("kivrel.prm"))));
  EXPECT_EQ(ListFolder(bin.path()), "kivrel ");
}

TEST(StartupE2E, FailedStartLeavesNoEarlierResultAndNoOutput) {
  ProgramFolder program;
  program.Settings(kDefaultSettings);
  WriteFile(program.Path("prepre.res"), ResultText("/earlier/part.pr1"));
  std::filesystem::create_directory(program.jobs() / "part.pr1");  // the output cannot be replaced
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("Kivrel: error "), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find(program.Job("part.pr1")), std::string::npos) << run.errors;
  EXPECT_FALSE(program.HasResult());
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");
}

}  // namespace
}  // namespace kivrel::testing
