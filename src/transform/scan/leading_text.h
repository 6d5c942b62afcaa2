#pragma once

#include <cstddef>
#include <string_view>

namespace kivrel {

// A line that opens with comments in parentheses or parameter assignments
// (`(A) G18`, `#1=5 G0 X10`, `#<depth> = [#1/2] (half) G1 Z#<depth>`) holds
// words after them, which the controller runs. Where the words start (at a
// letter), or 0 where the line holds none after its leading text: it is all
// comment, an assignment is not one the controller reads, or what follows
// is no word (another comment leader, an O word).
std::size_t WordsAfterLeadingText(std::string_view line);

}  // namespace kivrel
