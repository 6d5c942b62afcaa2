#include "ui/win32/win32_progress_window.h"

#include <string>

#include "common/version.h"
#include "ui/win32/win32_window.h"

namespace kivrel {
namespace {

using win32::PixelRect;
using win32::Pixels;

using progress_layout::kTrack;

void DrawLabel(HDC dc, HFONT font, const std::wstring& text, RECT place, UINT format, COLORREF colour) {
  SelectObject(dc, font);
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, format | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
}

}  // namespace

Win32ProgressWindow::Win32ProgressWindow() : dpi_(win32::ScreenDpi()) {}

Win32ProgressWindow::~Win32ProgressWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  for (HFONT font : {title_font_, version_font_, processing_font_}) {
    if (font != nullptr) DeleteObject(font);
  }
}

void Win32ProgressWindow::Show() {
  if (window_ != nullptr) return;
  title_font_ = win32::SystemFont(18, dpi_);
  version_font_ = win32::SystemFont(13.5, dpi_);
  processing_font_ = win32::SystemFont(12, dpi_);
  const wchar_t* window_class = win32::RegisterWindowClass(L"KivrelForm2", Procedure, COLOR_BTNFACE);
  window_ = win32::CreateFixedWindow(window_class, win32::Wide(progress_layout::kCaption), progress_layout::kWidth,
                                     progress_layout::kHeight, dpi_, this);
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

int Win32ProgressWindow::FillPixels() const {
  return Pixels(fill_.DrawnWidth(), dpi_);
}

void Win32ProgressWindow::Repaint() {
  if (window_ == nullptr || !IsWindowVisible(window_) || !fill_.Changed(FillPixels())) return;
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
}

void Win32ProgressWindow::ProcessEvents() { win32::PumpWaitingMessages(); }

void Win32ProgressWindow::SetFill(double fraction) { fill_.Set(fraction); }

void Win32ProgressWindow::Close() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void Win32ProgressWindow::Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  DrawLabel(dc, title_font_, L"Kivrel", PixelRect(progress_layout::kTitlePlace, dpi_), DT_CENTER, text);
  DrawLabel(dc, version_font_, L"Version:" + std::to_wstring(kResultVersion), PixelRect(progress_layout::kVersionPlace, dpi_), DT_LEFT,
            text);
  // Shape1, the black track; Shape2, the green fill with a black border;
  // Label1 in white on top.
  const RECT track = PixelRect(kTrack, dpi_);
  FillRect(dc, &track, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const int pixels = FillPixels();
  fill_.Painted(pixels);
  if (pixels > 0) {
    HBRUSH green = CreateSolidBrush(RGB(0, 192, 0));
    HGDIOBJ old_brush = SelectObject(dc, green);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, track.left, track.top, track.left + pixels, track.bottom);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(green);
  }
  DrawLabel(dc, processing_font_, L"Processing...", PixelRect(progress_layout::kProcessingPlace, dpi_), DT_LEFT, RGB(255, 255, 255));
  EndPaint(window, &paint);
}

LRESULT CALLBACK Win32ProgressWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = static_cast<Win32ProgressWindow*>(win32::WindowOwner(window, message, l));
  if (self != nullptr) {
    switch (message) {
      case WM_PAINT:
        self->Paint(window);
        return 0;
      case WM_ERASEBKGND:
        return 1;  // the paint fills the background
      case WM_NCDESTROY:
        // Closed by the operator or by the run: the conversion goes on, and
        // the window does not come back.
        self->window_ = nullptr;
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace kivrel
