#include "ui/win32/win32_progress_window.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/disk_file_system.h"
#include "startup/main_program.h"
#include "support/fake_platform.h"
#include "support/progress_window_checks.h"
#include "support/convert_text.h"
#include "support/temp_folder.h"
#include "transform/process_text.h"
#include "ui/win32/win32_user_interface.h"
#include "ui/win32/win32_window.h"

namespace kivrel {
namespace {

TEST(Win32ProgressWindow, ShowsItsCaptionAtItsSize) {
  Win32ProgressWindow window;
  window.Show();
  ASSERT_NE(window.window(), nullptr);
  EXPECT_EQ(win32::Narrow(win32::WindowText(window.window())), "Kivrel PrePreprocessor");
  RECT client;
  GetClientRect(window.window(), &client);
  EXPECT_EQ(client.right, 312);  // 4680 x 3195 twips at 96 dots per inch
  EXPECT_EQ(client.bottom, 213);
  EXPECT_FALSE(GetWindowLongPtrW(window.window(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(Win32ProgressWindow, BarIsDrawnGreenOnBlackWithTheWordInWhite) {
  Win32ProgressWindow window;
  window.Show();
  window.SetFill(0.5);
  window.Repaint();
  HDC dc = GetDC(window.window());
  // Shape1 from pixel 12 to 297, 98 to 123; half of it green.
  EXPECT_EQ(GetPixel(dc, 20, 120), RGB(0, 192, 0));
  EXPECT_EQ(GetPixel(dc, 290, 120), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 100, 60), GetSysColor(COLOR_BTNFACE));
  bool white = false;
  for (int x = 112; x < 200 && !white; ++x) {
    for (int y = 100; y < 122 && !white; ++y) white = GetPixel(dc, x, y) == RGB(255, 255, 255);
  }
  ReleaseDC(window.window(), dc);
  EXPECT_TRUE(white) << "\"Processing...\" in white on the bar";
}

TEST(Win32ProgressWindow, FillEndsAtTheTrackEndForACrLfFile) {
  Win32ProgressWindow window;
  testing::ExpectFillEndsAtTheTrackEnd(window);
  testing::ConvertText("", window);
  EXPECT_EQ(window.FillWidth(), Win32ProgressWindow::kTrackWidth) << "an empty input moves nothing";
}

TEST(Win32ProgressWindow, RepaintThatChangesNoPixelCostsNothing) {
  Win32ProgressWindow window;
  window.Show();
  testing::ExpectRepaintOnlyWhenThePixelsChange(window);
}

TEST(Win32ProgressWindow, ClosedByTheOperatorTheConversionGoesOn) {
  Win32ProgressWindow window;
  window.Show();
  SendMessageW(window.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(window.window(), nullptr);
  window.SetFill(0.7);
  window.Repaint();
  window.ProcessEvents();
  EXPECT_EQ(window.FillWidth(), 0.7f * Win32ProgressWindow::kTrackWidth);
}

// A conversion with the progress window on screen writes the same bytes as
// one without windows.
TEST(Win32UserInterface, ConversionWithTheProgressWindowWritesTheSameBytes) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "kivrel.prm", "2\r\n25.4\r\n1\r\n1\r\n1.5\r\nTrue\r\n10\r\n1000.\r\nFalse\r\nEOF\r\n");
  std::string input;
  for (int i = 0; i < 2500; ++i) input += "g1 x" + std::to_string(i) + " y2 f100 s50 (x)\r\n";
  testing::WriteFile(folder / "part.nc", input);
  DiskFileSystem files;
  testing::RecordingMessageBoxes boxes;
  testing::ScriptedClock clock({0.0f}, 0.04f);
  std::ostringstream errors;

  testing::FakeUserInterface headless;
  Platform console{files, boxes, clock, headless, errors, testing::Utf8(folder.path()), folder / "part.nc"};
  ASSERT_EQ(RunProgram(console), ExitStatus::Done);
  const std::string expected = testing::ReadFile(folder / "part.pr1");
  std::filesystem::remove(testing::PathOf(folder / "part.pr1"));

  Win32UserInterface windows(boxes);
  Platform windowed{files, boxes, clock, windows, errors, testing::Utf8(folder.path()), folder / "part.nc"};
  ASSERT_EQ(RunProgram(windowed), ExitStatus::Done) << errors.str();
  EXPECT_EQ(testing::ReadFile(folder / "part.pr1"), expected);
  // Readings 0, 0.04, 0.08, 0.12: the pause waits until more than 0.1 s.
  EXPECT_EQ(clock.readings(), 4u);
  EXPECT_TRUE(boxes.notices.empty());
}

}  // namespace
}  // namespace kivrel
