#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

namespace kivrel::fuzzing {

// Settings chosen by the first bytes of a fuzz input, which are consumed.
inline Settings TakeSettings(const std::uint8_t*& data, std::size_t& size) {
  static const float kScales[] = {1, 2, 25.4f, 1 / 25.4f, -1, 0, 0.5f, -2.5f, 1e-3f, 3e5f, 0.1f, 1e30f, 7, -0.75f, 1e-20f, 3e38f};
  static const float kAddends[] = {0, 10, -5, 0.00004f, 1000, -100, 0.5f, 1e-7f};
  std::uint8_t pick[6] = {};
  for (std::uint8_t& p : pick) {
    if (size > 0) {
      p = *data++;
      --size;
    }
  }
  Settings s;
  s.XScale = kScales[pick[0] & 15];
  s.YScale = kScales[pick[0] >> 4];
  s.ZScale = kScales[pick[1] & 15];
  s.AScale = kScales[pick[1] >> 4];
  s.FeedScale = kScales[pick[2] & 15];
  s.FeedAdd = kAddends[pick[3] & 7];
  s.SpindleRPM = kAddends[(pick[3] >> 3) & 7];
  s.XYexchange = (pick[4] & 1) != 0;
  return s;
}

}  // namespace kivrel::fuzzing
