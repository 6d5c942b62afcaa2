#pragma once

#include <string>

namespace kivrel {

// Exchanges X with Y and I with J throughout `line` by the eight replace
// passes of the rules, through "--TEMP2--", "__TEMP1__", "--TEMP3--" and
// "__TEMP4__": text that already holds those markers comes out as the passes
// make it. Protected text before the comment (expressions, parameters),
// active comments and a remark are left as they are; the passes run on each
// stretch between. `spare` is a buffer to reuse.
void ExchangeXY(std::string& line, std::string& spare);

}  // namespace kivrel
