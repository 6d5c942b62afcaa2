// The command tail on Windows, from the command line and the program's own
// path. Wine quotes a program path with blanks itself, so the unquoted starts
// that a host may make through CreateProcess are held here.
#include <gtest/gtest.h>

#include "platform/process_info.h"
#include "platform/wide_text_windows.h"

namespace kivrel {
namespace {

constexpr const wchar_t* kProgram = L"C:\\CNC Tools\\kivrel.exe";

struct TailCase {
  const wchar_t* line;
  const wchar_t* tail;
};

TEST(WindowsCommandTail, SkipsTheProgramAsWindowsStartedIt) {
  const TailCase cases[] = {
      // The program's path with its blank, unquoted: exactly that path goes.
      {L"C:\\CNC Tools\\kivrel.exe C:\\jobs\\part.tap", L"C:\\jobs\\part.tap"},
      {L"c:\\cnc tools\\KIVREL.EXE C:\\jobs\\part.tap", L"C:\\jobs\\part.tap"},
      {L"C:\\CNC Tools\\kivrel C:\\jobs\\part.tap", L"C:\\jobs\\part.tap"},
      {L"C:\\CNC Tools\\kivrel.exe\t \"C:\\my jobs\\part.tap\"", L"C:\\my jobs\\part.tap"},
      {L"C:\\CNC Tools\\kivrel.exe  C:\\my  jobs\\part.tap", L"C:\\my  jobs\\part.tap"},
      {L"C:\\CNC Tools\\kivrel.exe SETUP", L"SETUP"},
      {L"C:\\CNC Tools\\kivrel.exe", L""},
      {L"C:\\CNC Tools\\kivrel.exe ", L""},
      // Quoted, as wine and most hosts start it.
      {L"\"C:\\CNC Tools\\kivrel.exe\" C:\\jobs\\part.tap", L"C:\\jobs\\part.tap"},
      {L"\"C:\\CNC Tools\\kivrel.exe\"C:\\jobs\\part.tap", L"C:\\jobs\\part.tap"},
      // Any other name ends at the first blank, as Windows parses it.
      {L"kivrel.exe C:\\my jobs\\part.tap", L"C:\\my jobs\\part.tap"},
      {L"kivrel C:\\CNC Tools\\kivrel.exe", L"C:\\CNC Tools\\kivrel.exe"},
      {L"C:\\CNC C:\\CNC Tools\\kivrel.exe", L"C:\\CNC Tools\\kivrel.exe"},
      {L"C:\\CNC Tools\\kivrel.exe.bak part.nc", L"Tools\\kivrel.exe.bak part.nc"},
      {L"C:\\CNC Tools\\kivrelx part.nc", L"Tools\\kivrelx part.nc"},
      {L"", L""},
  };
  for (const TailCase& c : cases) {
    EXPECT_EQ(Utf8FromWide(WindowsCommandTail(c.line, kProgram)), Utf8FromWide(c.tail)) << Utf8FromWide(c.line);
  }
}

}  // namespace
}  // namespace kivrel
