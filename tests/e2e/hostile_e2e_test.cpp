// Hostile inputs, each with its expected outcome, through the real program.
#include <gtest/gtest.h>

#include <random>

#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

class HostileE2E : public ::testing::Test {
 protected:
  HostileE2E() { program.Settings(kDefaultSettings); }

  // Converts `input`: the exit status, and the program lines of the output
  // (between the comment block and the closing comment) when it finished.
  std::pair<int, std::string> Convert(const std::string& input) {
    WriteFile(program.Job("part.nc"), input);
    std::filesystem::remove(program.Job("part.pr1"));
    run = program.Run({program.Job("part.nc")});
    CheckNothingLost();
    if (run.status != 0) return {run.status, ""};
    const std::string output = ReadFile(program.Job("part.pr1"));
    const std::size_t block = CommentBlock().size();
    return {0, output.substr(block, output.size() - block - 17)};
  }

  // Converts part.nc as a user bound by permissions, where the job folder
  // takes files and the program's own folder takes none.
  void RunWhereTheProgramFolderTakesNoFile() {
    namespace fs = std::filesystem;
    fs::permissions(program.jobs(), fs::perms::all);
    fs::permissions(program.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    run = RunBoundByPermissions(program.Program(), {program.Job("part.nc")}, Utf8(program.jobs()));
    fs::permissions(program.path(), fs::perms::owner_all, fs::perm_options::add);
  }

  // Whatever the outcome: a whole output or none, a true result file or
  // none, no temporary file.
  void CheckNothingLost() {
    const bool has_output = std::filesystem::exists(program.Job("part.pr1"));
    EXPECT_EQ(ListFolder(program.jobs()).find(".tmp"), std::string::npos);
    EXPECT_EQ(ListFolder(program.path()).find(".tmp"), std::string::npos);
    switch (run.status) {
      case 0: {
        ASSERT_TRUE(has_output);
        const std::string output = ReadFile(program.Job("part.pr1"));
        EXPECT_EQ(output.rfind(CommentBlock(), 0), 0u);
        EXPECT_EQ(output.substr(output.size() - 17), "(Finished Kivrel)");
        EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));
        break;
      }
      case 2:
        EXPECT_FALSE(has_output);
        EXPECT_EQ(program.Result(), kZeroFeedResult);
        break;
      case 3:
        EXPECT_FALSE(has_output);
        EXPECT_FALSE(program.HasResult());
        EXPECT_EQ(run.errors.rfind("Kivrel: error ", 0), 0u) << run.errors;
        break;
      default:
        ADD_FAILURE() << "exit status " << run.status << ": " << run.errors;
    }
  }

  ProgramFolder program;
  ProgramRun run;
};

TEST_F(HostileE2E, LinesAndNumbers) {
  struct Case {
    const char* name;
    std::string input;
    int status;
    std::string lines;
  };
  const std::string ten_mb(10 * 1024 * 1024, 'Q');
  const std::string xs(100000, 'X');
  const Case cases[] = {
      {"NUL bytes inside a line", std::string("G1 X1\0Y2\r\n\0\r\n", 13), 0,
       std::string("G1 X1.0000\0Y2.0000\r\n\0\r\n", 23)},
      {"a 10 MB line", "g1 x1 " + ten_mb, 0, "G1 X1.0000 " + ten_mb + "\r\n"},
      {"100,000 letters X", xs, 0, xs + "\r\n"},
      {"an exponent letter after the number", "G1 X1e39\r\n", 0, "G1 X1.0000E39\r\n"},
      {"a tiny exponent", "G1 X1e-50\r\n", 0, "G1 X1.0000E-50\r\n"},
      {"a number beyond the range", "G1 X1" + std::string(39, '0') + "\r\n", 3, ""},
      {"two minus signs", "G1 X--1\r\n", 0, "G1 X--1\r\n"},
      {"a sign and a point", "G1 X+.\r\n", 0, "G1 X+.\r\n"},
      {"a point alone", ".\r\n", 0, ".\r\n"},
      {"blanks only", "     \r\n\t\r\n", 0, "     \r\n\t\r\n"},
      {"a feed word with no number stays", "G1 X1 F\r\n", 0, "G1 X1.0000 F\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [status, lines] = Convert(c.input);
    EXPECT_EQ(status, c.status) << run.errors;
    if (status == 0) {
      EXPECT_EQ(lines, c.lines);
    }
  }
}

TEST_F(HostileE2E, RandomBinaryBytes) {
  std::mt19937 random(42);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(20000, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    Convert(bytes);  // every outcome is checked for losses
  }
}

TEST_F(HostileE2E, FolderAsTheInput) {
  std::filesystem::create_directory(program.Job("folder.nc"));
  const ProgramRun folder_run = program.Run({program.Job("folder.nc")});
  EXPECT_EQ(folder_run.status, 1);
  EXPECT_EQ(program.Result(), ResultText(program.Job("folder.pr1"), 1));
}

TEST_F(HostileE2E, LineBreakInTheInputPath) {
  WriteFile(program.Path("prepre.res"), ResultText("old.pr1"));
  WriteFile(program.Job("a"), "G1 X1\r\n");
  const ProgramRun broken = program.Run({program.Job("a\n0\r\nx.nc")});
  EXPECT_EQ(broken.status, 3);
  EXPECT_NE(broken.errors.find("line break"), std::string::npos) << broken.errors;
  EXPECT_FALSE(program.HasResult());
}

TEST_F(HostileE2E, ParameterFileThatIsAFolder) {
  std::filesystem::remove(program.Path("kivrel.prm"));
  std::filesystem::create_directory(program.Path("kivrel.prm"));
  const auto [status, lines] = Convert("g1 x1\r\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lines, "G1 X1.0000\r\n");
  EXPECT_EQ(run.errors,
            "Kivrel: The parameter file could not be read properly. Recreating...\n"
            "Kivrel: Unable to save. Try again.\n");
  EXPECT_TRUE(std::filesystem::is_directory(program.Path("kivrel.prm")));
}

TEST_F(HostileE2E, HugeParameterFile) {
  WriteFile(program.Path("kivrel.prm"), std::string(100 * 1024 * 1024, '1') + "\r\n");
  const auto [status, lines] = Convert("g1 x1\r\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(run.errors, "Kivrel: The parameter file could not be read properly. Recreating...\n"
                        "The old file was kept as " + program.Path("kivrel.prm.bad") + "\n");
  EXPECT_EQ(ReadFile(program.Path("kivrel.prm")), kDefaultPrm);
  EXPECT_EQ(std::filesystem::file_size(program.Path("kivrel.prm.bad")), 100u * 1024 * 1024 + 2);
}

TEST_F(HostileE2E, ReadOnlyOutputIsKeptAndAReplacedOneKeepsItsPermissions) {
  namespace fs = std::filesystem;
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  fs::permissions(PathOf(program.Job("part.pr1")), fs::perms::owner_read | fs::perms::group_read);
  run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("read-only file \"" + program.Job("part.pr1") + "\""), std::string::npos) << run.errors;
  // The platform's own number: "Access is denied" is 5 on Windows.
  EXPECT_EQ(run.errors.rfind(OnWindows() ? "Kivrel: error 5: " : "Kivrel: error 13: ", 0), 0u) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_FALSE(program.HasResult());

  if (OnWindows()) GTEST_SKIP() << "a Windows file has a read-only mark, not POSIX permission bits";
  const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(PathOf(program.Job("part.pr1")), kept);
  ASSERT_EQ(program.Run({program.Job("part.nc")}).status, 0);
  EXPECT_EQ(fs::status(PathOf(program.Job("part.pr1"))).permissions(), kept);
}

TEST_F(HostileE2E, ProgramFolderThatTakesNoResultFileKeepsTheEarlierOutput) {
  if (OnWindows()) GTEST_SKIP() << "wine runs as the user that started it and cannot be bound by folder permissions";
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  RunWhereTheProgramFolderTakesNoFile();
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("prepre.res"), std::string::npos) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");
}

// The host would read the earlier start's success for a program that was
// not converted: a result file that cannot be removed is emptied where it
// can be written, and kept as it is only where it can be neither.
TEST_F(HostileE2E, EarlierResultThatCannotBeRemovedIsNeverLeftAsASuccess) {
  if (OnWindows()) GTEST_SKIP() << "wine runs as the user that started it and cannot be bound by folder permissions";
  namespace fs = std::filesystem;
  const std::string stale = ResultText("/jobs/other.pr1");
  const std::pair<fs::perms, std::string> cases[] = {{fs::perms::all, ""}, {fs::perms::owner_all, stale}};
  for (const auto& [result_permissions, left] : cases) {
    WriteFile(program.Job("part.nc"), "G1 X1\r\n");
    WriteFile(program.Path("prepre.res"), stale);
    fs::permissions(program.Path("prepre.res"), result_permissions);
    RunWhereTheProgramFolderTakesNoFile();
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.errors.find("cannot remove \"" + program.Path("prepre.res") + "\""), std::string::npos) << run.errors;
    EXPECT_EQ(program.Result(), left);
    EXPECT_EQ(ListFolder(program.jobs()), "part.nc ");
  }
}

// Temporary files of the same target that a killed run left (SIGKILL, a
// host's TerminateProcess, a power cut) are removed by the next run; other
// files with similar names, and the temporary file of a run that is still
// writing it, are not.
TEST_F(HostileE2E, TemporaryFilesThatAKilledRunLeftAreRemovedByTheNextRun) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  const char* const left[] = {"part.pr1.0123456789ab.tmp", "part.pr1.ffffffffffff.tmp"};
  const char* const others[] = {"part.pr1.FEDCBA987654.tmp", "part.pr1.tmp", "part.pr10.0123456789ab.tmp",
                                "part.pr1.0123456789ab.tmp.old", "part.pr1.0123456789a.tmp"};
  for (const char* name : left) WriteFile(program.Job(name), std::string(100000, 'x'));
  for (const char* name : others) WriteFile(program.Job(name), "kept");
  WriteFile(program.Path("prepre.res.00000000cafe.tmp"), "kivrel.pre\r\n");
  run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ListFolder(program.jobs()),
            "part.nc part.pr1 part.pr1.0123456789a.tmp part.pr1.0123456789ab.tmp.old part.pr1.FEDCBA987654.tmp "
            "part.pr1.tmp part.pr10.0123456789ab.tmp ");
  EXPECT_EQ(ListFolder(program.path()).find(".tmp"), std::string::npos) << ListFolder(program.path());

  if (OnWindows()) return;  // WindowsE2E holds a temporary file open as a running start does
  // flock(1) locks the file as a running start locks its temporary file,
  // for as long as the program it runs.
  WriteFile(program.Job("part.pr1.0000000000aa.tmp"), "being written");
  run = RunProgramAt("/usr/bin/flock", {program.Job("part.pr1.0000000000aa.tmp"), program.Program(), program.Job("part.nc")},
                     Utf8(program.jobs()));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1.0000000000aa.tmp")), "being written");
}

// SIGINT, SIGTERM and SIGHUP remove the run's temporary files and end it
// with the usual status. Each run waits in a message box of the windows
// (nothing answers it), with a temporary file written: the zero-feed
// message while the output's temporary file stands, the notices while the
// result file's does.
TEST_F(HostileE2E, InterruptedRunLeavesNoTemporaryFile) {
  if (OnWindows()) GTEST_SKIP() << "Windows has no such signals; a leftover is removed by the next run";
  // The shell starts the run with the signals' usual actions (it would start
  // it with SIGINT ignored), waits for the temporary file to appear, sends
  // the signal and prints the status the run ended with. Its waits are
  // bounded: a run that never writes or never ends is killed and reported.
  const std::string interrupt =
      "running() { [ -e /proc/$run ] && ! grep -q '^State:.*Z' /proc/$run/status 2>/dev/null; }\n"
      "env --default-signal=INT,TERM,HUP \"$0\" \"$1\" & run=$!\n"
      "tries=0\n"
      "until ls \"$2\" | grep -q '\\.tmp$'; do\n"
      "  running || { wait $run; echo ended with $? before; exit 0; }\n"
      "  tries=$((tries + 1)); if [ $tries -gt 6000 ]; then kill -KILL $run; echo no temporary file; exit 0; fi\n"
      "  sleep 0.01\n"
      "done\n"
      "kill -$3 $run\n"
      "tries=0\n"
      "while running; do\n"
      "  tries=$((tries + 1)); if [ $tries -gt 6000 ]; then kill -KILL $run; echo still running; fi\n"
      "  sleep 0.01\n"
      "done\n"
      "wait $run\n"
      "echo $?\n";
  struct Case {
    const char* what;
    const char* program;
    std::string watched;  // the folder the temporary file appears in
  };
  const Case cases[] = {
      {"zero feed", "G1 X1 F100\r\nG1 X2 F0\r\n", Utf8(program.jobs())},
      {"notices", "o<probe> call\r\nG1 X1 F100\r\n", Utf8(program.path())},
  };
  program.Settings({"2", "2", "1", "1", "1", "False", "0", "0.", "EOF"});
  for (const Case& c : cases) {
    for (const auto& [name, number] : {std::pair{"INT", 2}, std::pair{"TERM", 15}, std::pair{"HUP", 1}}) {
      SCOPED_TRACE(std::string(c.what) + ", SIG" + name);
      WriteFile(program.Job("part.nc"), c.program);
      WriteFile(program.Job("part.pr1"), "earlier output");
      const ProgramRun stopped = RunProgramAt("/bin/sh", {"-c", interrupt, program.Program(), program.Job("part.nc"),
                                                          c.watched, name},
                                              Utf8(program.jobs()), {"QT_QPA_PLATFORM=offscreen"});
      EXPECT_EQ(stopped.output, std::to_string(128 + number) + "\n") << stopped.errors;
      EXPECT_EQ(ListFolder(program.jobs()).find(".tmp"), std::string::npos) << ListFolder(program.jobs());
      EXPECT_EQ(ListFolder(program.path()).find(".tmp"), std::string::npos) << ListFolder(program.path());
      EXPECT_FALSE(program.HasResult());
      if (std::string(c.what) == "zero feed") {
        EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
      }
    }
  }
}

TEST_F(HostileE2E, AFailedWriteNamesTheOutputNotItsTemporaryFile) {
  if (OnWindows()) GTEST_SKIP() << "Windows has no file size limit for a process";
  std::string input;
  for (int i = 0; i < 20000; ++i) input += "G1 X" + std::to_string(i) + "\r\n";
  WriteFile(program.Job("part.nc"), input);
  // A file size limit makes writing fail as a full disk would.
  run = RunWithFileSizeLimit(program.Program(), {program.Job("part.nc")}, Utf8(program.jobs()), 8);
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("cannot write \"" + program.Job("part.pr1") + "\""), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find(".tmp"), std::string::npos) << run.errors;
  CheckNothingLost();
}

TEST_F(HostileE2E, TwoStartsAtOnceInOneProgramFolder) {
  std::string first;
  std::string second;
  for (int i = 0; i < 20000; ++i) {
    first += "G1 X" + std::to_string(i) + "\r\n";
    second += "G1 Y" + std::to_string(i) + "\r\n";
  }
  WriteFile(program.Job("one.nc"), first);
  WriteFile(program.Job("two.nc"), second);
  for (int round = 0; round < 5; ++round) {
    auto a = program.Start({program.Job("one.nc")});
    auto b = program.Start({program.Job("two.nc")});
    const ProgramRun one = a->Wait();
    const ProgramRun two = b->Wait();
    EXPECT_EQ(one.status, 0) << one.errors;
    EXPECT_EQ(two.status, 0) << two.errors;
    for (const char* name : {"one.pr1", "two.pr1"}) {
      const std::string output = ReadFile(program.Job(name));
      EXPECT_EQ(output.substr(output.size() - 17), "(Finished Kivrel)") << name;
    }
    const std::string result = program.Result();
    EXPECT_TRUE(result == ResultText(program.Job("one.pr1")) || result == ResultText(program.Job("two.pr1"))) << result;
    EXPECT_EQ(ListFolder(program.jobs()), "one.nc one.pr1 two.nc two.pr1 ");
    EXPECT_EQ(ListFolder(program.path()).find(".tmp"), std::string::npos);
  }
}

}  // namespace
}  // namespace kivrel::testing
