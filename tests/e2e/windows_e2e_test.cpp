// What a Windows host's start brings: command tails taken verbatim, quoted
// and non-ASCII paths, files held open by other programs, folders that take
// no file.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/wide_text_windows.h"
#include "e2e/program_folder.h"

namespace kivrel::testing {
namespace {

class WindowsE2E : public ::testing::Test {
 protected:
  WindowsE2E() { program.Settings({"2", "2", "1", "1", "1", "False", "0", "0.", "EOF"}); }

  // Starts kivrel.exe with `tail` verbatim after its name.
  ProgramRun RunTail(const std::string& tail) {
    return RunningProgram(program.Program(), tail, Utf8(program.jobs())).Wait();
  }

  std::string Done(const std::string& output_line) {
    return "kivrel.pre\r\nversion:4\r\n" + output_line + "\r\n0\r\n\r\n";
  }

  static constexpr const char* kConverted =
      "(Kivrel Version 4.0.1)\r\n(YScale:2.0000000 )\r\n(XScale:2.0000000 )\r\n(ZScale:1.0000000 )\r\n"
      "(AScale:1.0000000 )\r\n(FeedScale:1.0000000 )\r\n(XYexchange:OFF )\r\n(FeedAdd:0.0000000 )\r\n"
      "(SpindleRPM:0. )\r\nG1 X2.0000\r\n(Finished Kivrel)";

  ProgramFolder program;
};

TEST_F(WindowsE2E, CommandTailIsTakenVerbatimAndOneQuotedPathIsUnquoted) {
  WriteFile(program.Job("my  part.nc"), "G1 X1\r\n");
  const std::string input = program.Job("my  part.nc");
  // Unquoted, with its double blank: joining parsed arguments would lose it.
  ProgramRun run = RunTail(input);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), Done(program.Job("my  part.pr1")));
  EXPECT_EQ(ReadFile(program.Job("my  part.pr1")), kConverted);
  std::filesystem::remove(PathOf(program.Job("my  part.pr1")));
  // Wholly quoted, as Explorer passes a dropped file, and after extra blanks.
  run = RunTail("   \"" + input + "\"");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), Done(program.Job("my  part.pr1")));
  // A quote that does not enclose the whole tail stays part of the path.
  run = RunTail("\"" + input + "\" x");
  EXPECT_EQ(run.status, 1);
  // "SETUP" alone is setup mode; a real file whose name holds it is converted.
  WriteFile(program.Job("SETUP_1.nc"), "G1 X1\r\n");
  run = RunTail(program.Job("SETUP_1.nc"));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), Done(program.Job("SETUP_1.pr1")));
}

TEST_F(WindowsE2E, NonAsciiPathsWorkAndANameTheHostCannotReadIsRefused) {
  // "ü" and "é" are in the system's code page (1252 here): the result file
  // names the output in it, one byte each.
  const std::string input = program.Job("t\xC3\xA9st \xC3\xBC.nc");
  WriteFile(input, "G1 X1\r\n");
  ProgramRun run = program.Run({input});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("t\xC3\xA9st \xC3\xBC.pr1")), kConverted);
  std::string ansi;
  ASSERT_TRUE(AnsiFromUtf8(program.Job("t\xC3\xA9st \xC3\xBC.pr1"), ansi));
  EXPECT_NE(ansi.find("t\xE9st \xFC.pr1"), std::string::npos);
  EXPECT_EQ(program.Result(), Done(ansi));

  // Cyrillic has no place in code page 1252: refused, nothing written.
  const std::string cyrillic = program.Job("\xD0\xB4\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD1\x8C.nc");
  WriteFile(cyrillic, "G1 X1\r\n");
  run = program.Run({cyrillic});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("system's code page"), std::string::npos) << run.errors;
  EXPECT_FALSE(program.HasResult());
  EXPECT_FALSE(std::filesystem::exists(PathOf(program.Job("\xD0\xB4\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD1\x8C.pr1"))));
}

// A file another program holds open without sharing it.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path)
      : handle_(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldOpen() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST_F(WindowsE2E, FilesHeldOpenByAnotherProgramLoseNothing) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  {
    HeldOpen output(program.Job("part.pr1"));
    ASSERT_TRUE(output.held());
    const ProgramRun run = program.Run({program.Job("part.nc")});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.errors.find("\"" + program.Job("part.pr1") + "\""), std::string::npos) << run.errors;
    EXPECT_FALSE(program.HasResult());
  }
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");
  {
    HeldOpen input(program.Job("part.nc"));
    ASSERT_TRUE(input.held());
    const ProgramRun run = program.Run({program.Job("part.nc")});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.errors.find("cannot open \"" + program.Job("part.nc") + "\""), std::string::npos) << run.errors;
  }
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");
}

TEST_F(WindowsE2E, OutputFolderThatTakesNoFileKeepsTheEarlierOutput) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  const std::wstring jobs = program.jobs().wstring();
  SetFileAttributesW(jobs.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::wstring probe = jobs + L"\\probe";
  HANDLE created = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created != INVALID_HANDLE_VALUE) {
    CloseHandle(created);
    DeleteFileW(probe.c_str());
    SetFileAttributesW(jobs.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "the folder still takes files (wine started by root is not bound by the read-only mark)";
  }
  const ProgramRun run = program.Run({program.Job("part.nc")});
  SetFileAttributesW(jobs.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find(program.Job("part.pr1")), std::string::npos) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_FALSE(program.HasResult());
}

}  // namespace
}  // namespace kivrel::testing
