#pragma once

#include <cstddef>
#include <string_view>

#include "common/ascii.h"
#include "transform/scan/protected_text.h"

namespace kivrel {

// The named parameters the interpreter sets itself from the machine's
// state (positions, offsets, modes, the tool, overrides), and the prefixes
// of those that read its configuration (#<_ini[section]name>,
// #<_hal[pin]>). A program's own globals (#<_safe>) are none of them.
inline bool IsMachineStateName(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "_vmajor", "_vminor", "_line", "_motion_mode", "_plane", "_ccomp", "_metric", "_imperial", "_absolute",
      "_incremental", "_inverse_time", "_units_per_minute", "_units_per_rev", "_coord_system", "_tool_offset",
      "_retract_r_plane", "_retract_old_z", "_spindle_rpm_mode", "_spindle_css_mode", "_ijk_absolute_mode",
      "_lathe_diameter_mode", "_lathe_radius_mode", "_spindle_on", "_spindle_cw", "_mist", "_flood",
      "_speed_override", "_feed_override", "_adaptive_feed", "_feed_hold", "_feed", "_rpm", "_x", "_y", "_z",
      "_a", "_b", "_c", "_u", "_v", "_w", "_abs_x", "_abs_y", "_abs_z", "_abs_a", "_abs_b", "_abs_c",
      "_current_tool", "_current_pocket", "_selected_tool", "_selected_pocket", "_value", "_value_returned",
      "_task", "_call_level", "_remap_level", "_metric_machine"};
  for (std::string_view known : kNames) {
    if (ascii::EqualIgnoringCase(name, known)) return true;
  }
  return (name.size() > 5 && ascii::EqualIgnoringCase(name.substr(0, 5), "_ini[")) ||
         (name.size() > 5 && ascii::EqualIgnoringCase(name.substr(0, 5), "_hal["));
}

// The expressions and parameters of `words` (a line up to its comment)
// refer to a parameter that holds the machine's state: a numbered one from
// 5000 up (positions, offsets, the tool), or one of the interpreter's own
// named ones (#<_x>). Its value is in the frame the converted program runs
// in already.
inline bool ReadsMachineState(std::string_view words) {
  bool found = false;
  protected_text::Find(words, [&](std::size_t start, std::size_t end) {
    for (std::size_t at = start; at < end && !found; ++at) {
      if (words[at] != '#' || at + 1 >= end) continue;
      std::size_t next = at + 1;
      if (words[next] == '<') {
        // The interpreter reads a name without its blanks.
        std::string_view rest = words.substr(next + 1, end - next - 1);
        const std::size_t close = rest.find('>');
        if (close == std::string_view::npos) continue;
        char name[64];
        std::size_t length = 0;
        for (char c : rest.substr(0, close)) {
          if (ascii::IsBlank(static_cast<unsigned char>(c))) continue;
          if (length == sizeof(name)) break;
          name[length++] = c;
        }
        found = length < sizeof(name) && IsMachineStateName(std::string_view(name, length));
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
