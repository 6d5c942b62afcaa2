#pragma once

#include <string>

namespace kivrel {

// The output file's name for the input path `command_text` (never empty):
// the path up to its last ".", then "pr", then the sequence: the input's last
// character plus one when it is a digit, else 1. part.nc gives part.pr1,
// part.pr1 gives part.pr2, part.pr9 gives part.pr10.
std::string DeriveOutputName(const std::string& command_text);

}  // namespace kivrel
