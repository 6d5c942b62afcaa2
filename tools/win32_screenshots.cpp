// Renders the two native Windows windows and saves them as 24-bit BMP files,
// for the README (scripts/screenshots.sh turns them into PNG):
// kivrel_win32_screenshots FOLDER
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/disk_file_system.h"
#include "settings/dialog_model.h"
#include "ui/win32/win32_message_boxes.h"
#include "ui/win32/win32_progress_window.h"
#include "ui/win32/win32_settings_dialog.h"
#include "ui/win32/win32_window.h"

namespace {

template <typename T>
void Put(std::vector<char>& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool SaveWindow(HWND window, const std::wstring& path) {
  // Let the window reach the screen and paint itself.
  for (int i = 0; i < 10; ++i) {
    kivrel::win32::PumpWaitingMessages();
    Sleep(50);
  }
  // The client area, as the Qt pictures show it: under a bare X server no
  // window manager draws the frame.
  RECT frame;
  GetClientRect(window, &frame);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&frame), 2);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool printed = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != 0;
  SelectObject(memory, old);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!printed || rows != height) return false;

  std::vector<char> file;
  const std::uint32_t offset = 14 + 40;
  Put<std::uint16_t>(file, 0x4D42);  // "BM"
  Put<std::uint32_t>(file, offset + static_cast<std::uint32_t>(pixels.size()));
  Put<std::uint32_t>(file, 0);
  Put<std::uint32_t>(file, offset);
  Put<std::uint32_t>(file, 40);
  Put<std::int32_t>(file, width);
  Put<std::int32_t>(file, height);
  Put<std::uint16_t>(file, 1);
  Put<std::uint16_t>(file, 24);
  Put<std::uint32_t>(file, BI_RGB);
  Put<std::uint32_t>(file, static_cast<std::uint32_t>(pixels.size()));
  Put<std::int32_t>(file, 2835);  // 72 dots per inch
  Put<std::int32_t>(file, 2835);
  Put<std::uint32_t>(file, 0);
  Put<std::uint32_t>(file, 0);
  file.insert(file.end(), pixels.begin(), pixels.end());
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const std::wstring folder = argv[1];

  kivrel::Settings settings;
  kivrel::AssignDefaults(settings);
  kivrel::DialogModel model(settings);
  model.ClearUnsavedMark();
  kivrel::DiskFileSystem files;
  kivrel::Win32MessageBoxes boxes;
  kivrel::SettingsEnvironment environment{files, boxes, model, "Z:\\nonexistent\\kivrel.prm"};
  kivrel::Win32SettingsDialog dialog(model, environment, boxes);
  dialog.Show();
  bool saved = SaveWindow(dialog.window(), folder + L"\\settings-dialog-windows.bmp");

  kivrel::Win32ProgressWindow progress;
  progress.Show();
  progress.SetFill(0.42);
  progress.Repaint();
  saved = SaveWindow(progress.window(), folder + L"\\progress-window-windows.bmp") && saved;
  return saved ? 0 : 1;
}
