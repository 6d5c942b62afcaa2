// What a Windows host's start brings: command tails taken verbatim, quoted
// and non-ASCII paths, files held open by other programs, a folder where the
// result file goes.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/long_path_windows.h"
#include "platform/wide_text_windows.h"
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

  const std::string kConverted = Output("G1 X2.0000\r\n", {.y = "2.0000000", .x = "2.0000000"});

  ProgramFolder program;
};

TEST_F(WindowsE2E, CommandTailIsTakenVerbatimAndOneQuotedPathIsUnquoted) {
  WriteFile(program.Job("my  part.nc"), "G1 X1\r\n");
  const std::string input = program.Job("my  part.nc");
  // Unquoted, with its double blank: joining parsed arguments would lose it.
  ProgramRun run = RunTail(input);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), ResultText(program.Job("my  part.pr1")));
  EXPECT_EQ(ReadFile(program.Job("my  part.pr1")), kConverted);
  std::filesystem::remove(PathOf(program.Job("my  part.pr1")));
  // Wholly quoted, as Explorer passes a dropped file, and after extra blanks.
  run = RunTail("   \"" + input + "\"");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), ResultText(program.Job("my  part.pr1")));
  // A quote that does not enclose the whole tail stays part of the path.
  run = RunTail("\"" + input + "\" x");
  EXPECT_EQ(run.status, 1);
  // "SETUP" alone is setup mode; a real file whose name holds it is converted.
  WriteFile(program.Job("SETUP_1.nc"), "G1 X1\r\n");
  run = RunTail(program.Job("SETUP_1.nc"));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), ResultText(program.Job("SETUP_1.pr1")));
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
  EXPECT_EQ(program.Result(), ResultText(ansi));

  // Cyrillic has no place in code page 1252: refused, nothing written.
  const std::string cyrillic = program.Job("\xD0\xB4\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD1\x8C.nc");
  WriteFile(cyrillic, "G1 X1\r\n");
  run = program.Run({cyrillic});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("system's code page"), std::string::npos) << run.errors;
  EXPECT_FALSE(program.HasResult());
  EXPECT_FALSE(std::filesystem::exists(PathOf(program.Job("\xD0\xB4\xD0\xB5\xD1\x82\xD0\xB0\xD0\xBB\xD1\x8C.pr1"))));
}

// A file another program holds open, by default without sharing it.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE, DWORD sharing = 0)
      : handle_(CreateFileW(WideFromUtf8(path).c_str(), access, sharing, nullptr, OPEN_EXISTING,
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

// A result file that cannot be written, for a folder holds its name: the
// start ends before it converts, the earlier output as it was. (Wine started
// by root is not bound by a folder's read-only mark; a folder in the way
// binds it.)
TEST_F(WindowsE2E, ResultFileThatCannotBeWrittenKeepsTheEarlierOutput) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Job("part.pr1"), "earlier output");
  std::filesystem::create_directory(PathOf(program.Path("prepre.res")));
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("cannot remove \"" + program.Path("prepre.res") + "\""), std::string::npos) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), "earlier output");
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 ");
  EXPECT_TRUE(std::filesystem::is_directory(PathOf(program.Path("prepre.res"))));
}

// A host that keeps the loaded program open, even for writing, lets others
// read it: the conversion goes on.
TEST_F(WindowsE2E, InputTheHostHoldsOpenForWritingIsConverted) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  HeldOpen input(program.Job("part.nc"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(input.held());
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFile(program.Job("part.pr1")), kConverted);
}

// The earlier start's success must not stay for the host to read: Kivrel
// clears the read-only mark of its own result file and goes on; one the
// host holds open is emptied before the start gives up.
TEST_F(WindowsE2E, EarlierResultIsNeverLeftAsASuccess) {
  const std::string stale = ResultText("C:\\jobs\\other.pr1");
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  WriteFile(program.Path("prepre.res"), stale);
  ASSERT_TRUE(SetFileAttributesW(WideFromUtf8(program.Path("prepre.res")).c_str(), FILE_ATTRIBUTE_READONLY));
  ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(program.Result(), ResultText(program.Job("part.pr1")));

  WriteFile(program.Path("prepre.res"), stale);
  {
    HeldOpen result(program.Path("prepre.res"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(result.held());
    run = program.Run({program.Job("part.nc")});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.errors.find("cannot remove \"" + program.Path("prepre.res") + "\""), std::string::npos) << run.errors;
  }
  EXPECT_EQ(program.Result(), "");
}

// A temporary file that a running start holds is no leftover: neither while
// it is written nor once it waits to be renamed.
TEST_F(WindowsE2E, TemporaryFilesOfARunningStartAreNotRemoved) {
  WriteFile(program.Job("part.nc"), "G1 X1\r\n");
  for (const char* name : {"part.pr1.0123456789ab.tmp", "part.pr1.00000000000a.tmp", "part.pr1.00000000000b.tmp"}) {
    WriteFile(program.Job(name), name);
  }
  HeldOpen written(program.Job("part.pr1.00000000000a.tmp"), GENERIC_WRITE, FILE_SHARE_READ);
  HeldOpen waiting(program.Job("part.pr1.00000000000b.tmp"), GENERIC_READ,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(written.held() && waiting.held());
  const ProgramRun run = program.Run({program.Job("part.nc")});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ListFolder(program.jobs()), "part.nc part.pr1 part.pr1.00000000000a.tmp part.pr1.00000000000b.tmp ");
}

// Beyond MAX_PATH (260) characters a program converts as any other.
TEST_F(WindowsE2E, PathOfThreeHundredCharactersWorks) {
  std::string folder = program.Job("");
  while (folder.size() < 280) folder += std::string(40, 'f') + "\\";
  std::filesystem::create_directories(PathOf(folder));
  const std::string stem = std::string(300 - folder.size() - 3, 'p');
  const std::string input = folder + stem + ".nc";
  ASSERT_EQ(input.size(), 300u);
  WriteFile(input, "G1 X1\r\n");
  const std::string output = folder + stem + ".pr1";
  WriteFile(output, "earlier output");
  const ProgramRun run = program.Run({input});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadFile(output), kConverted);
  EXPECT_EQ(program.Result(), ResultText(output));
  // No temporary file is left there (the test's own search needs the
  // extended form as well).
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(FileCallPath(folder + "*.tmp").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << Utf8FromWide(found.cFileName);
}

TEST(FileCallPath, PathsOfMaxPathCharactersOrMoreTakeTheExtendedForm) {
  const std::string long_name(300, 'n');
  const std::wstring wide_name(300, L'n');
  wchar_t current[MAX_PATH * 4];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, current);
  ASSERT_GT(length, 0u);
  std::wstring here(current, length);
  if (here.back() != L'\\') here += L'\\';
  const std::pair<std::string, std::wstring> cases[] = {
      {"C:\\jobs\\part.nc", L"C:\\jobs\\part.nc"},
      {"jobs/part.nc", L"jobs/part.nc"},
      {"C:\\jobs\\" + long_name, L"\\\\?\\C:\\jobs\\" + wide_name},
      {"C:/jobs/./old/../" + long_name, L"\\\\?\\C:\\jobs\\" + wide_name},
      {"\\\\server\\share\\" + long_name, L"\\\\?\\UNC\\server\\share\\" + wide_name},
      {"\\\\?\\C:\\" + long_name, L"\\\\?\\C:\\" + wide_name},
      {"jobs\\" + long_name, L"\\\\?\\" + here + L"jobs\\" + wide_name},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(FileCallPath(path), expected) << path;
  }
}

}  // namespace
}  // namespace kivrel::testing
