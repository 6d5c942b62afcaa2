#pragma once

#include <string>

namespace kivrel {

// The output file's name for the input path `command_text` (never empty):
// the path up to the last "." of its file name, then "pr", then the
// sequence. "\" and "/" both end a folder name, so a dot in a folder never
// counts; a file name without a dot gets "." and the rest appended. An
// extension "pr" followed by digits (in any letter case) counts on:
// part.pr10 gives part.pr11. Otherwise the sequence is the input's last
// character plus one when it is a digit, else 1: part.nc gives part.pr1,
// part.nc3 part.pr4, part.pr9 part.pr10.
std::string DeriveOutputName(const std::string& command_text);

}  // namespace kivrel
