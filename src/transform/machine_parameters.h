#pragma once

#include <cstddef>
#include <string_view>

#include "transform/protected_text.h"

namespace kivrel {

// The expressions and parameters of `words` (a line up to its comment)
// refer to a parameter that holds the machine's state: a numbered one from
// 5000 up (positions, offsets, the tool), or a named one that starts with
// "_" (the interpreter's own, such as #<_x>). Its value is in the frame the
// converted program runs in already.
inline bool ReadsMachineState(std::string_view words) {
  bool found = false;
  protected_text::Find(words, [&](std::size_t start, std::size_t end) {
    for (std::size_t at = start; at < end && !found; ++at) {
      if (words[at] != '#' || at + 1 >= end) continue;
      std::size_t next = at + 1;
      if (words[next] == '<') {
        ++next;
        while (next < end && (words[next] == ' ' || words[next] == '\t')) ++next;
        found = next < end && words[next] == '_';
        continue;
      }
      unsigned long number = 0;
      for (; next < end && protected_text::IsDigit(static_cast<unsigned char>(words[next])) && number < 5000; ++next) {
        number = number * 10 + static_cast<unsigned long>(words[next] - '0');
      }
      found = number >= 5000;
    }
  });
  return found;
}

}  // namespace kivrel
