#include "platform/process_info.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/processor_count.h"
#include "platform/wide_text_windows.h"

namespace kivrel {
namespace {

std::wstring ModulePath() {
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  name.resize(length);
  return name;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whether `line` starts with `name` (letter case aside, as paths compare on
// Windows) followed by a blank or the end.
bool StartsWithName(std::wstring_view line, std::wstring_view name) {
  if (name.empty() || line.size() < name.size()) return false;
  if (line.size() > name.size() && !IsBlank(line[name.size()])) return false;
  return CompareStringOrdinal(line.data(), static_cast<int>(name.size()), name.data(), static_cast<int>(name.size()),
                              TRUE) == CSTR_EQUAL;
}

// Where the program's name ends in `line`.
std::size_t NameEnd(std::wstring_view line, std::wstring_view module_path) {
  if (!line.empty() && line[0] == L'"') {
    const std::size_t close = line.find(L'"', 1);
    return close == std::wstring_view::npos ? line.size() : close + 1;
  }
  // A host may start "C:\CNC Tools\kivrel.exe part.nc" unquoted: Windows
  // tries the cuts of the line at each blank in turn ("C:\CNC", then
  // "C:\CNC Tools\kivrel.exe"; ".exe" added to a name without one) and runs
  // the first that names a program. Where that was this program, its own
  // path is skipped, with or without the ".exe".
  if (StartsWithName(line, module_path)) return module_path.size();
  const std::size_t dot = module_path.find_last_of(L".\\/");
  if (dot != std::wstring_view::npos && module_path[dot] == L'.' &&
      StartsWithName(line, module_path.substr(0, dot))) {
    return dot;
  }
  std::size_t at = 0;
  while (at < line.size() && !IsBlank(line[at])) ++at;
  return at;
}

}  // namespace

std::string ExecutableFolder(const char*) {
  const std::wstring name = ModulePath();
  const std::size_t separator = name.find_last_of(L"\\/");
  return Utf8FromWide(separator == std::wstring::npos ? std::wstring(L".") : name.substr(0, separator));
}

std::wstring_view WindowsCommandTail(std::wstring_view line, std::wstring_view module_path) {
  std::size_t at = NameEnd(line, module_path);
  while (at < line.size() && IsBlank(line[at])) ++at;
  std::wstring_view tail = line.substr(at);
  // A tail wholly enclosed in one pair of double quotes (a path dropped on
  // the program, a shortcut) names the path inside them; Windows allows no
  // quote in a file name, so no other path changes meaning.
  if (tail.size() >= 2 && tail.front() == L'"' && tail.back() == L'"' &&
      tail.find(L'"', 1) == tail.size() - 1) {
    tail = tail.substr(1, tail.size() - 2);
  }
  return tail;
}

std::string CommandTail(int, const char* const*) {
  return Utf8FromWide(WindowsCommandTail(GetCommandLineW(), ModulePath()));
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

unsigned UsableProcessors() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 1;
  unsigned usable = 0;
  for (; process != 0; process &= process - 1) ++usable;
  return usable < 1 ? 1 : usable;
}

}  // namespace kivrel
