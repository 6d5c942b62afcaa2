#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kivrel {

// What an O-word line names and does, read as LinuxCNC reads it: blanks
// count nowhere, letters in any case, and "o0100" is "o100".
struct OWord {
  // "<touchoff>" or "100"; empty where the line names no subroutine it can
  // be told by ("o[#1] call", an unclosed "<").
  std::string name;
  // "sub", "endsub", "call", "if", ... in lower case; empty for a bare
  // program number.
  std::string keyword;
  // Where the keyword ends in the line: a call's arguments follow.
  std::size_t end = 0;
};

// `line` is an O-word line: its first character that is no blank is O or o.
OWord ReadOWord(std::string_view line);

}  // namespace kivrel
