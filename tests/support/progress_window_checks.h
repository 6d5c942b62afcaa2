#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/convert_text.h"

// What every toolkit's progress window must do with its bar.
namespace kivrel::testing {

// A CR LF file fills the bar to the track's end, not short of it.
template <typename Window>
void ExpectFillEndsAtTheTrackEnd(Window& window) {
  window.Show();
  std::string input;
  for (int i = 0; i < 2500; ++i) input += "G1 X" + std::to_string(i) + "\r\n";
  ConvertText(input, window);
  EXPECT_EQ(window.FillWidth(), Window::kTrackWidth);
}

// A repaint that would change no pixel of the bar paints nothing; one
// that moves the bar paints once.
template <typename Window>
void ExpectRepaintOnlyWhenThePixelsChange(Window& window) {
  window.ProcessEvents();
  window.Repaint();
  const int painted = window.paint_count();
  EXPECT_GT(painted, 0);
  window.SetFill(0.0105);  // 45 twips: still 3 pixels
  window.Repaint();
  EXPECT_EQ(window.paint_count(), painted);
  window.SetFill(0.5);
  window.Repaint();
  EXPECT_EQ(window.paint_count(), painted + 1);
}

}  // namespace kivrel::testing
