#include "platform/long_path_windows.h"

#include <windows.h>

#include "platform/wide_text_windows.h"

namespace kivrel {

std::wstring FileCallPath(std::string_view path) {
  std::wstring wide = WideFromUtf8(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  // A relative path counts with the current folder before it, as Windows
  // counts it.
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0 || needed <= MAX_PATH) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.size() < MAX_PATH) return wide;
  // The full form has backslashes only and no "." or ".." left, as the
  // extended form needs.
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace kivrel
