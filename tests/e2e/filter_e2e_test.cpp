// kivrel-filter: the converted program on standard output, progress on
// standard error, and nothing else left behind.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/error_number.h"
#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

class FilterE2E : public ::testing::Test {
 protected:
  FilterE2E() { program.Settings({"2", "25.4", "0.5", "1", "1.5", "True", "10", "1000.", "EOF"}); }

  // The progress lines of a run, checked for form and order.
  std::vector<int> Progress(const std::string& errors) {
    std::vector<int> percents;
    std::istringstream lines(errors);
    std::string line;
    while (std::getline(lines, line)) {
      EXPECT_EQ(line.rfind("FILTER_PROGRESS=", 0), 0u) << line;
      const int percent = std::stoi(line.substr(16));
      EXPECT_TRUE(percent >= 0 && percent <= 100) << line;
      if (!percents.empty()) {
        EXPECT_GT(percent, percents.back());
      }
      percents.push_back(percent);
    }
    return percents;
  }

  // What the filter says, and all it says, when it cannot read the parameter file.
  std::string Refusal() const {
    return "Kivrel: the parameter file " + program.Path("kivrel.prm") +
           " could not be read; nothing was converted; mend it or run kivrel SETUP\n";
  }

  ProgramFolder program;
};

TEST_F(FilterE2E, WritesTheSameBytesAsTheOutputFile) {
  const std::string inputs[] = {
      "", "g01 x1.5 y-2 f100 (cut)\r\nM03 S1000\r\n(MOVE x)\r\n/G01 X1\n\rG02 X2 Y0 I1 J0",
      "G1 X1\r\n%\r\n",  // a "%" line that is not the first stays in its place
  };
  for (const std::string& input : inputs) {
    WriteFile(program.Job("part.nc"), input);
    ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
    const ProgramRun filtered = program.Filter({program.Job("part.nc")});
    EXPECT_EQ(filtered.status, 0) << filtered.errors;
    EXPECT_EQ(filtered.output, ReadFile(program.Job("part.pr1")));
    std::filesystem::remove(program.Job("part.pr1"));
  }
}

TEST_F(FilterE2E, PercentLineComesFirstWithTheEmptyLinesBeforeIt) {
  // The lines that go before the comment block, and the rest of the input.
  const std::pair<std::string, std::string> cases[] = {
      {"%\r\n", "G1 X1\r\n%\r\n"},
      {"\r\n\n\r%\r\n", "G1 X1\r\n"},
      {"", "\r\n\r\nG1 X1\r\n%\r\n"},  // a first line that is not "%": nothing goes first
  };
  for (const auto& [first, rest] : cases) {
    WriteFile(program.Job("part.nc"), first + rest);
    ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
    std::string file = ReadFile(program.Job("part.pr1"));
    const std::size_t block_end = file.find("(SpindleRPM:");
    // In the output file the converted first lines follow the block.
    std::string converted_first;
    for (std::size_t i = 0; i < first.size();) {
      const std::size_t end = first.find_first_of("\r\n", i);
      converted_first += first.substr(i, end - i) + "\r\n";
      i = end + ((first.compare(end, 2, "\r\n") == 0) ? 2 : 1);
    }
    const std::size_t after_block = file.find("\r\n", block_end) + 2;
    ASSERT_EQ(file.compare(after_block, converted_first.size(), converted_first), 0) << file;
    file.erase(after_block, converted_first.size());
    const ProgramRun filtered = program.Filter({program.Job("part.nc")});
    EXPECT_EQ(filtered.status, 0);
    EXPECT_EQ(filtered.output, converted_first + file);
  }
}

TEST_F(FilterE2E, ReportsProgressOncePerPercentAtMost) {
  std::string input;
  for (int i = 0; i < 5000; ++i) input += "G1 X" + std::to_string(i) + "\r\n";
  WriteFile(program.Job("part.nc"), input);
  const ProgramRun filtered = program.Filter({program.Job("part.nc")});
  ASSERT_EQ(filtered.status, 0);
  const std::vector<int> percents = Progress(filtered.errors);
  ASSERT_FALSE(percents.empty());
  EXPECT_LE(percents.size(), 101u);
  EXPECT_GE(percents.size(), 90u);
  EXPECT_EQ(percents.back(), 100);

  WriteFile(program.Job("empty.nc"), "");
  EXPECT_EQ(Progress(program.Filter({program.Job("empty.nc")}).errors), std::vector<int>{100});
}

TEST_F(FilterE2E, LeavesNoFileBehind) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  const std::string prm = ReadFile(program.Path("kivrel.prm"));
  const std::string jobs_before = ListFolder(program.jobs());
  const std::string program_before = ListFolder(program.path());
  ASSERT_EQ(program.Filter({program.Job("part.nc")}).status, 0);
  WriteFile(program.Job("zero.nc"), "G1 F-6.6666667\r\n");  // -10 after the multiplier, 0 after the addend
  const std::string jobs_with_zero = ListFolder(program.jobs());
  ASSERT_EQ(program.Filter({program.Job("zero.nc")}).status, 2);
  EXPECT_EQ(ListFolder(program.jobs()), jobs_with_zero);
  EXPECT_NE(jobs_before, jobs_with_zero);
  EXPECT_EQ(ListFolder(program.path()), program_before) << "no prepre.res, nothing else";
  EXPECT_EQ(ReadFile(program.Path("kivrel.prm")), prm);
}

TEST_F(FilterE2E, FailuresEndWithAStatusAndAMessage) {
  WriteFile(program.Job("zero.nc"), "G1 X1 F10\r\nG1 F-6.6666667\r\nG1 X3\r\n");
  const ProgramRun zero = program.Filter({program.Job("zero.nc")});
  EXPECT_EQ(zero.status, 2);
  EXPECT_NE(zero.errors.find("Kivrel: Feed rate of 0 has been introduced."), std::string::npos) << zero.errors;
  EXPECT_NE(zero.errors.find("Kivrel: the feed word of line 2 comes out as 0\n"), std::string::npos) << zero.errors;
  EXPECT_NE(zero.output.find("G1 Y25.4000 F25.0000\r\n"), std::string::npos) << zero.output;
  EXPECT_EQ(zero.output.find("Finished"), std::string::npos) << "no complete program";

  const ProgramRun missing = program.Filter({program.Job("missing.nc")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.errors, "Kivrel: input file not found: " + program.Job("missing.nc") + "\n");
  EXPECT_EQ(missing.output, "");

  WriteFile(program.Job("huge.nc"), "G1 X1" + std::string(39, '0') + "\r\n");
  const ProgramRun huge = program.Filter({program.Job("huge.nc")});
  EXPECT_EQ(huge.status, 3);
  const std::string overflow = std::to_string(PlatformErrorNumber(std::errc::result_out_of_range));
  EXPECT_NE(huge.errors.find("Kivrel: error " + overflow + ": number out of range in line 1"), std::string::npos)
      << huge.errors;

  EXPECT_EQ(program.Filter({}).status, 3);
}

TEST_F(FilterE2E, CreatesAMissingParameterFile) {
  std::filesystem::remove(program.Path("kivrel.prm"));
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  const ProgramRun filtered = program.Filter({program.Job("part.nc")});
  EXPECT_EQ(filtered.status, 0);
  EXPECT_EQ(filtered.errors.rfind("Kivrel: Settings file not found. Creating one now.\n", 0), 0u);
  EXPECT_EQ(ReadFile(program.Path("kivrel.prm")), kDefaultPrm);
  EXPECT_EQ(filtered.output, Output("G1 X1.0000\r\n"));
}

// The filter leaves a parameter file it cannot read as it is and refuses
// every run until kivrel replaces it: one that went on with the defaults, or
// wrote them for the next run, would convert with scales the operator never
// chose.
TEST_F(FilterE2E, UnreadableParameterFileRefusesEveryRunUntilKivrelReplacesIt) {
  const std::string prm = program.Path("kivrel.prm");
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  struct Case {
    std::size_t line;
    const char* text;
  };
  // A decimal comma, a display-order line that is no truth value, an X
  // scale too small for 32 bits (which would remove every X word), an
  // exchange line that is not True or False.
  for (const Case c : {Case{0, "25,4"}, Case{8, "no"}, Case{1, "1e-50"}, Case{5, "Yes"}}) {
    std::vector<std::string> lines = {"2", "25.4", "0.5", "1", "1.5", "True", "10", "1000.", "EOF"};
    lines[c.line] = c.text;
    program.Settings(lines);
    std::filesystem::remove(prm + ".bad");
    const std::string unreadable = ReadFile(prm);
    const std::string folder = ListFolder(program.path());
    for (int run = 1; run <= 2; ++run) {
      const ProgramRun refused = program.Filter({program.Job("part.nc")});
      EXPECT_EQ(refused.status, 3) << c.text << " run " << run;
      EXPECT_EQ(refused.output, "") << c.text << " run " << run;
      EXPECT_EQ(refused.errors, Refusal()) << c.text << " run " << run;
      EXPECT_EQ(ReadFile(prm), unreadable) << c.text << " run " << run;
      EXPECT_EQ(ListFolder(program.path()), folder) << c.text << " run " << run << ": no kivrel.prm.bad";
    }
    // kivrel SETUP replaces it as ever, and the filter goes on from there.
    const ProgramRun setup = program.Run({"SETUP"});
    EXPECT_EQ(setup.status, 0) << c.text;
    EXPECT_EQ(setup.errors, "Kivrel: The parameter file could not be read properly. Recreating...\n"
                            "The old file was kept as " + prm + ".bad\n") << c.text;
    EXPECT_EQ(ReadFile(prm + ".bad"), unreadable) << c.text;
    const ProgramRun next = program.Filter({program.Job("part.nc")});
    EXPECT_EQ(next.status, 0) << c.text;
    EXPECT_EQ(next.output, Output("G1 X1.0000\r\n")) << c.text;
    EXPECT_EQ(next.errors.find("Kivrel"), std::string::npos) << next.errors;
  }
}

TEST_F(FilterE2E, ParameterFileItMayNotReadFailsTheFilter) {
  if (OnWindows()) GTEST_SKIP() << "wine runs as the user that started it and cannot be bound by file permissions";
  namespace fs = std::filesystem;
  const std::string filter = program.Path(fs::path(KIVREL_FILTER_BINARY).filename().string());
  const std::string prm = program.Path("kivrel.prm");
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  const std::string unreadable = ReadFile(prm);
  // The folder is the filter's to write in; the file is not its to read.
  fs::permissions(program.path(), fs::perms::all);

  // Unreadable whether it may be written or not: left as it is either way.
  for (const fs::perms perms : {fs::perms::none, fs::perms::owner_write}) {
    fs::permissions(PathOf(prm), perms);
    const std::string folder = ListFolder(program.path());
    const ProgramRun run = RunBoundByPermissions(filter, {program.Job("part.nc")}, Utf8(program.jobs()));
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, Refusal());
    EXPECT_EQ(ListFolder(program.path()), folder) << "no kivrel.prm.bad";
    EXPECT_EQ(fs::status(PathOf(prm)).permissions() & fs::perms::all, perms);
  }
  fs::permissions(PathOf(prm), fs::perms::owner_read, fs::perm_options::add);
  EXPECT_EQ(ReadFile(prm), unreadable);
}

}  // namespace
}  // namespace kivrel::testing
