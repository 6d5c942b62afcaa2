#include "transform/current_point.h"

#include <limits>

#include "numbers/powers_of_ten.h"

namespace kivrel {
namespace {

constexpr int kWrittenDecimals = 10;

}  // namespace

bool WrittenOf(bool negative, std::uint64_t digits, int decimals, Written& result) {
  std::uint64_t units = 0;
  if (decimals <= kWrittenDecimals) {
    const std::uint64_t factor = kPowersOfTen[kWrittenDecimals - decimals];
    if (digits > static_cast<std::uint64_t>(std::numeric_limits<Written>::max()) / factor) return false;
    units = digits * factor;
  } else if (decimals - kWrittenDecimals >= 20) {
    units = 0;
  } else {
    const std::uint64_t unit = kPowersOfTen[decimals - kWrittenDecimals];
    units = digits / unit;
    if (digits % unit >= unit - digits % unit) ++units;  // half away from zero
  }
  // Well inside the range, so that sums of a few stay inside it too.
  if (units > static_cast<std::uint64_t>(std::numeric_limits<Written>::max() / 16)) return false;
  result = negative ? -static_cast<Written>(units) : static_cast<Written>(units);
  return true;
}

CurrentPoint CurrentPoint::After(const CurrentPoint& before) const {
  CurrentPoint after = *this;
  for (int a = 0; a < 3; ++a) {
    AxisPoint& moved = after.axis[a];
    if (moved.state != AxisPoint::State::Relative) continue;
    const AxisPoint& start = before.axis[a];
    moved.state = start.state;
    moved.in += start.in;
    moved.out += start.out;
    if (start.state == AxisPoint::State::Unknown) moved = {};
  }
  return after;
}

bool WrittenOf(const WrittenNumber& number, Written& result) {
  return WrittenOf(number.negative, number.digits, number.decimals, result);
}

bool WrittenOf(const FixedNumber& number, Written& result) {
  return number.fits && WrittenOf(number.negative, number.scaled, number.decimals, result);
}

}  // namespace kivrel
