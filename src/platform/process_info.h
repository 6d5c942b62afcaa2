#pragma once

#include <string>
#include <string_view>

namespace kivrel {

// The folder that holds the running executable (its real path, whatever the
// current folder). `argv0` is the fallback where the platform cannot tell.
std::string ExecutableFolder(const char* argv0);

// The command tail. Where the system passes the arguments split (POSIX),
// they are joined by single blanks, so that a path with blanks arrives
// whole. On Windows it is taken verbatim from the process's command line
// (argc and argv are not used); a tail wholly enclosed in one pair of
// double quotes names the path inside them.
std::string CommandTail(int argc, const char* const* argv);

// The Windows rule of CommandTail, part of `command_line` for the program at
// `module_path`: after the program's name as Windows parses it (up to the
// closing quote, or up to the first blank) and the blanks after it. A line
// that starts with the program's own path unquoted, blanks and all, or with
// that path less its extension, skips exactly that path: Windows runs such a
// line. A tail wholly enclosed in one pair of double quotes gives the text
// inside them. Windows only.
std::wstring_view WindowsCommandTail(std::wstring_view command_line, std::wstring_view module_path);

// Standard output and standard error pass their bytes unchanged: no line
// end is translated on any platform.
void UseBinaryStandardStreams();

}  // namespace kivrel
