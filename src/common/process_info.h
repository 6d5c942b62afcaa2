#pragma once

#include <string>

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

// Standard output and standard error pass their bytes unchanged: no line
// end is translated on any platform.
void UseBinaryStandardStreams();

}  // namespace kivrel
