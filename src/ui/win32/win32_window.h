#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "settings/dialog_layout.h"

// What the two Win32 windows share: twips at the screen's DPI, the font the
// layout was made for, window classes and the message loop.
namespace kivrel::win32 {

// The screen's dots per inch (96 unless the system is scaled).
int ScreenDpi();

// Twips (1/1440 inch) as pixels at `dpi`, rounded.
int Pixels(float twips, int dpi);
RECT PixelRect(const TwipsRect& rect, int dpi);

// "MS Sans Serif" at `points`, normal weight, at `dpi`. The caller owns it.
HFONT SystemFont(double points, int dpi);

// Registers a window class of this program once; returns its name.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure, int background);

// A fixed-size window with the usual close box and no minimize or maximize
// box, whose client area is `width` x `height` twips, centred on the screen
// and still hidden. `self` reaches the window procedure in WM_NCCREATE.
HWND CreateFixedWindow(const wchar_t* window_class, const std::wstring& caption, float width, float height,
                       int dpi, void* self);

// The object a window of this program was created for (the `self` given to
// CreateFixedWindow): kept from WM_NCCREATE on; at WM_NCDESTROY it is given
// out a last time and then forgotten.
void* WindowOwner(HWND window, UINT message, LPARAM l);

// Handles every message waiting, then returns.
void PumpWaitingMessages();

// UTF-8 text of the program as Windows' wide text, and back.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// The text of a control.
std::wstring WindowText(HWND window);

}  // namespace kivrel::win32
