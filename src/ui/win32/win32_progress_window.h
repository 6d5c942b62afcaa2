#pragma once

#include <windows.h>

#include "transform/progress_view.h"
#include "ui/progress_fill.h"

namespace kivrel {

// Form2 as a native window: the title, the version line, "Processing..." in
// white on a green bar over a black track, all drawn in one paint.
class Win32ProgressWindow : public ProgressView {
 public:
  static constexpr float kTrackWidth = ProgressFill::kTrackWidth;

  Win32ProgressWindow();
  ~Win32ProgressWindow() override;
  Win32ProgressWindow(const Win32ProgressWindow&) = delete;
  Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

  void Show() override;
  // Repaints only when the bar has moved by a pixel or the window is new.
  void Repaint() override;
  void ProcessEvents() override;
  void SetFill(double fraction) override;
  void Close() override;
  bool Draws() const override { return true; }

  HWND window() const { return window_; }
  float FillWidth() const { return fill_.width(); }
  int paint_count() const { return fill_.paint_count(); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  void Paint(HWND window);
  int FillPixels() const;

  int dpi_;
  HWND window_ = nullptr;
  HFONT title_font_ = nullptr;
  HFONT version_font_ = nullptr;
  HFONT processing_font_ = nullptr;
  ProgressFill fill_;
};

}  // namespace kivrel
