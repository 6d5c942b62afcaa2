#pragma once

#include <cmath>
#include <cstdint>

namespace kivrel {

// A number as the output writes it, in whole tenths of a billionth (its
// tenth decimal, the most an output number has): sums and differences of
// written numbers stay exact.
using Written = std::int64_t;
inline constexpr double kWrittenUnit = 1e-10;
inline constexpr Written kFourDecimals = 1000000;  // the last place of four decimals
// The largest magnitude `RoundWritten` takes: beyond it the whole number of
// tenths of a billionth no longer fits.
inline constexpr double kMostWritten = 1e8;

inline double ValueOf(Written written) { return static_cast<double>(written) * kWrittenUnit; }

// `value` rounded, half away from zero, to a whole number of `place`s.
inline Written RoundWritten(double value, Written place) {
  return static_cast<Written>(std::llround(value / (kWrittenUnit * static_cast<double>(place)))) * place;
}

}  // namespace kivrel
