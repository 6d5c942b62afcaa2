#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "common/process_info.h"
#include "common/wide_text_windows.h"

namespace kivrel {

std::string ExecutableFolder(const char*) {
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  name.resize(length);
  const std::size_t separator = name.find_last_of(L"\\/");
  return Utf8FromWide(separator == std::wstring::npos ? std::wstring(L".") : name.substr(0, separator));
}

std::string CommandTail(int, const char* const*) {
  const std::wstring_view line = GetCommandLineW();
  // The program's name as Windows parses it: up to the closing quote when
  // it starts with one, else up to the first blank. Then the blanks after it.
  std::size_t at = 0;
  if (!line.empty() && line[0] == L'"') {
    const std::size_t close = line.find(L'"', 1);
    at = close == std::wstring_view::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
  }
  while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
  std::wstring_view tail = line.substr(at);
  // A tail wholly enclosed in one pair of double quotes (a path dropped on
  // the program, a shortcut) names the path inside them; Windows allows no
  // quote in a file name, so no other path changes meaning.
  if (tail.size() >= 2 && tail.front() == L'"' && tail.back() == L'"' &&
      tail.find(L'"', 1) == tail.size() - 1) {
    tail = tail.substr(1, tail.size() - 2);
  }
  return Utf8FromWide(tail);
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace kivrel
