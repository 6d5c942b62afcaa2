#pragma once

#include "settings/settings.h"

namespace kivrel {

// The factors that "Conv. Inches to MM" and "Conv. MM to Inches" set the
// scales to, as 32-bit values.
inline constexpr float kInchesToMillimetres = 25.4f;
inline constexpr float kMillimetresToInches = static_cast<float>(0.039370078740);

// A unit conversion: the X, Y and Z scales all at one of the two factors.
enum class UnitConversion { None, ToMillimetres, ToInches };

inline UnitConversion UnitConversionOf(const Settings& s) {
  if (s.XScale == kInchesToMillimetres && s.YScale == kInchesToMillimetres && s.ZScale == kInchesToMillimetres) {
    return UnitConversion::ToMillimetres;
  }
  if (s.XScale == kMillimetresToInches && s.YScale == kMillimetresToInches && s.ZScale == kMillimetresToInches) {
    return UnitConversion::ToInches;
  }
  return UnitConversion::None;
}

}  // namespace kivrel
