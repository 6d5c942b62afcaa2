#pragma once

#include <string_view>

namespace kivrel {

// The value of the numeric text at the start of `text`, read leniently:
// blanks, tabs and line feeds anywhere are ignored; then an optional sign,
// digits with at most one ".", and an optional exponent (E or D, either case,
// optional sign, digits), stopping at the first character that does not fit.
// No digits give 0. "&H" and "&O" start a hexadecimal or octal whole number.
// A magnitude beyond the range of a double gives an infinity.
double LeadingNumber(std::string_view text);

}  // namespace kivrel
