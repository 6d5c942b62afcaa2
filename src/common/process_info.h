#pragma once

#include <string>

namespace kivrel {

// The folder that holds the running executable (its real path, whatever the
// current folder). `argv0` is the fallback where the platform cannot tell.
std::string ExecutableFolder(const char* argv0);

// The command tail: the arguments after the program's name joined by single
// blanks, so that a path with blanks arrives whole.
std::string CommandTail(int argc, const char* const* argv);

}  // namespace kivrel
