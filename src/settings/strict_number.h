#pragma once

#include <optional>
#include <string_view>

namespace kivrel {

// A whole line of the parameter file read as a 32-bit number: blanks around
// it, a sign, a fraction and an exponent are allowed; anything else, an
// empty line or a magnitude beyond the 32-bit range gives nothing. A number
// that is not zero but would be held as 0 or as a subnormal value lies
// beyond that range too.
std::optional<float> StrictNumber(std::string_view line);

// Line 6 of the parameter file: the word True or False in any letter case,
// blanks and tabs around it allowed. Anything else gives nothing.
std::optional<bool> StrictWordTruth(std::string_view line);

// Line 9 of the parameter file: True or False in any letter case, or a
// number (-1 is true, any other number false). Anything else gives nothing.
std::optional<bool> StrictTruth(std::string_view line);

}  // namespace kivrel
