#pragma once

#include <algorithm>
#include <string_view>

#include "transform/scan/line_tables.h"

namespace kivrel {

// Lines an earlier run added carry this mark; they pass as read.
inline constexpr std::string_view kMarker = "M20ADDITION";

// The mark in any letter case.
inline bool HoldsMarkerInAnyCase(std::string_view line) {
  const auto same = [](char a, char b) {
    return line_tables::kClasses.upper[static_cast<unsigned char>(a)] == static_cast<unsigned char>(b);
  };
  return std::search(line.begin(), line.end(), kMarker.begin(), kMarker.end(), same) != line.end();
}

}  // namespace kivrel
