#include "ui/win32/win32_window.h"

#include <cmath>

#include "platform/wide_text_windows.h"

namespace kivrel::win32 {

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int Pixels(float twips, int dpi) { return static_cast<int>(std::lround(twips * static_cast<float>(dpi) / 1440.0f)); }

RECT PixelRect(const TwipsRect& rect, int dpi) {
  const int left = Pixels(rect.left, dpi);
  const int top = Pixels(rect.top, dpi);
  return RECT{left, top, left + Pixels(rect.width, dpi), top + Pixels(rect.height, dpi)};
}

HFONT SystemFont(double points, int dpi) {
  const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure, int background) {
  WNDCLASSEXW known{};
  known.cbSize = sizeof(known);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &known)) return name;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = GetSysColorBrush(background);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
  return name;
}

HWND CreateFixedWindow(const wchar_t* window_class, const std::wstring& caption, float width, float height,
                       int dpi, void* self) {
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  constexpr DWORD kExtended = WS_EX_CONTROLPARENT;
  RECT frame{0, 0, Pixels(width, dpi), Pixels(height, dpi)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExtended);
  const int outer_width = frame.right - frame.left;
  const int outer_height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - outer_width) / 2;
  const int y = work.top + (work.bottom - work.top - outer_height) / 2;
  return CreateWindowExW(kExtended, window_class, caption.c_str(), kStyle, x, y, outer_width, outer_height, nullptr,
                         nullptr, GetModuleHandleW(nullptr), self);
}

void* WindowOwner(HWND window, UINT message, LPARAM l) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  }
  void* owner = reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return owner;
}

void PumpWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::wstring Wide(std::string_view text) { return WideFromUtf8(text); }
std::string Narrow(std::wstring_view text) { return Utf8FromWide(text); }

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace kivrel::win32
