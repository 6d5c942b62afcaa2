#pragma once

#include <cstddef>
#include <string>

#include "transform/rewrite/rewrite_number.h"

namespace kivrel {

// Rewrites the word whose letter stands at `position` of the upper-cased
// `line` and whose value is an expression or a parameter (after blanks and
// signs, a "[" or a "#" that starts a parameter): the controller scales it
// when the program runs, as one bracket expression, "[V*S+A]", with V the
// value as read (its signs included), S the scale and A the addend written
// as the settings comment writes them ("*S" left out for a scale of 1, "+A"
// for an addend of 0; a negative addend takes its own sign). A scale of 0
// removes the word with its value. Blanks at both ends of the line are
// trimmed, as for any rewritten word; `edit` receives how the rest moved.
void WrapExpression(std::size_t position, float scale, float addend, std::string& line, WordEdit& edit);

}  // namespace kivrel
