#pragma once

#include "numbers/decimal_product.h"
#include "numbers/fixed_text.h"
#include "numbers/written_number.h"

namespace kivrel {

// Where the tool stands on one of X, Y and Z, in the program's coordinates
// (`in`, as read) and in the converted program's (`out`, as written under
// whatever letter the axis comes out as).
struct AxisPoint {
  enum class State : unsigned char {
    Unknown,   // no word the conversion can follow has set it
    Known,     // at `in` and `out`
    Relative,  // `in` and `out` from where it stood when its chunk began
  };
  State state = State::Unknown;
  Written in = 0;
  Written out = 0;
};

// Where the tool stands on X, Y and Z (in that order).
struct CurrentPoint {
  AxisPoint axis[3];

  // Nothing known: the start of a program.
  static CurrentPoint Unknown() { return {}; }
  // Each axis where it stood at the start of a chunk, not yet known.
  static CurrentPoint Relative() {
    CurrentPoint point;
    for (AxisPoint& a : point.axis) a.state = AxisPoint::State::Relative;
    return point;
  }
  // The axes that are known, as bits (X 1, Y 2, Z 4).
  unsigned KnownAxes() const {
    unsigned axes = 0;
    for (int a = 0; a < 3; ++a) axes |= axis[a].state == AxisPoint::State::Known ? 1u << a : 0u;
    return axes;
  }
  // Where the tool stands after a chunk that began at `before` and left this
  // point.
  CurrentPoint After(const CurrentPoint& before) const;
  void Forget() { *this = Unknown(); }
};

// The number as a Written one, rounded to its tenth decimal; false where it
// does not fit.
bool WrittenOf(const WrittenNumber& number, Written& result);
// The same for `digits` x 10^-`decimals`, negative where `negative` says.
bool WrittenOf(bool negative, std::uint64_t digits, int decimals, Written& result);
bool WrittenOf(const FixedNumber& number, Written& result);

}  // namespace kivrel
