#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/disk_file_system.h"
#include "common/failure.h"
#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> ReadLines(const std::string& content) {
  TempFolder folder;
  WriteFile(folder / "in", content);
  DiskFileSystem files;
  TextReader reader(files.OpenForReading(folder / "in"));
  std::vector<std::string> lines;
  std::string line;
  while (!reader.AtEndOfStream()) {
    reader.ReadLine(line);
    lines.push_back(line);
  }
  reader.Close();
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextReader, EndsLinesAtCrLfLfAndLoneCr) {
  EXPECT_EQ(ReadLines(""), Lines{});
  EXPECT_EQ(ReadLines("a"), Lines{"a"});
  EXPECT_EQ(ReadLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadLines("a\nb\rc\r\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadLines("\r\n\r\n"), (Lines{"", ""}));
  EXPECT_EQ(ReadLines("\n\r"), (Lines{"", ""}));
  EXPECT_EQ(ReadLines("\r\r\n"), (Lines{"", ""}));
  EXPECT_EQ(ReadLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(TextReader, KeepsEveryByte) {
  std::string bytes("x\0y\xff\xe4\x01", 6);
  EXPECT_EQ(ReadLines(bytes + "\r\n"), Lines{bytes});
}

TEST(TextReader, LinesAcrossBlockBoundaries) {
  // A CR LF split across the reader's 64 KiB blocks counts as one line end.
  std::string first(65535, 'a');
  EXPECT_EQ(ReadLines(first + "\r\nb"), (Lines{first, "b"}));
  std::string long_line(300000, 'x');
  EXPECT_EQ(ReadLines(long_line + "\n" + long_line), (Lines{long_line, long_line}));
}

TEST(TextWriter, WritesBytesAsGivenWithoutLineEnds) {
  TempFolder folder;
  DiskFileSystem files;
  std::string temporary;
  TextWriter writer(files.CreateTemporaryBeside(folder / "out", temporary));
  std::string big(200000, 'z');
  writer.Write("a\r\n");
  writer.Write(big);
  writer.Write(std::string("\0b", 2));
  writer.Close();
  EXPECT_EQ(ReadFile(temporary), "a\r\n" + big + std::string("\0b", 2));
}

TEST(DiskFileSystem, TemporaryFilesNeverShareANameAndReplaceTheirTarget) {
  TempFolder folder;
  DiskFileSystem files;
  std::string first, second;
  auto a = files.CreateTemporaryBeside(folder / "out", first);
  auto b = files.CreateTemporaryBeside(folder / "out", second);
  EXPECT_NE(first, second);
  EXPECT_EQ(testing::ListFolder(folder.path()).find("out."), 0u);
  a->Append("new");
  a->Close();
  b->Close();
  WriteFile(folder / "out", "old");
  files.Rename(first, folder / "out");
  EXPECT_EQ(ReadFile(folder / "out"), "new");
  files.Remove(second);
  EXPECT_EQ(testing::ListFolder(folder.path()), "out ");
}

TEST(DiskFileSystem, FailuresNameTheFile) {
  TempFolder folder;
  DiskFileSystem files;
  try {
    files.OpenForReading(folder / "missing.nc");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("missing.nc"), std::string::npos);
    EXPECT_NE(failure.number(), 0);
  }
  EXPECT_THROW(files.OpenForReading(folder.path().string()), Failure);
  EXPECT_FALSE(files.IsOrdinaryFile(folder.path().string()));
  EXPECT_NO_THROW(files.Remove(folder / "not-there"));
}

}  // namespace
}  // namespace kivrel
