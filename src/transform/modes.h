#pragma once

#include "transform/g_codes.h"

namespace kivrel {

// The modes that run from line to line and that the meaning of a word
// depends on: the active plane, the kind of motion, and the distance mode.
enum class Plane : unsigned char { XY, ZX, YZ };
enum class Motion : unsigned char {
  Straight,    // G0, G1 and the rest that give R, Q, K and P no meaning
  Arc,         // G2, G3
  Drilling,    // G81, G82, G85 to G89
  Tapping,     // G74, G84
  Peck,        // G73, G83
  Pitch,       // G33, G33.1
  Threading,   // G76
  Spline,      // G5
  QuadSpline,  // G5.1
};
enum class Distance : unsigned char { Absolute, Incremental };

struct Modal {
  Plane plane = Plane::XY;
  Motion motion = Motion::Straight;
  Distance distance = Distance::Absolute;
  bool operator==(const Modal&) const = default;
};

// Kinds of motion the rules ask about, each a set of motions.
enum class MotionClass : unsigned char {
  kArc,        // an arc
  kCycle,      // a canned cycle: drilling, tapping, pecking
  kTapping,    // a tapping cycle
  kPeck,       // a peck drilling cycle
  kPitch,      // spindle-synchronised motion
  kThreading,  // a threading cycle
  kSpline,     // a cubic spline
  kSplines,    // either spline
};
inline constexpr int kMotionClasses = 8;

constexpr bool InClass(Motion motion, MotionClass which) {
  switch (which) {
    case MotionClass::kArc: return motion == Motion::Arc;
    case MotionClass::kCycle: return motion == Motion::Drilling || motion == Motion::Tapping || motion == Motion::Peck;
    case MotionClass::kTapping: return motion == Motion::Tapping;
    case MotionClass::kPeck: return motion == Motion::Peck;
    case MotionClass::kPitch: return motion == Motion::Pitch;
    case MotionClass::kThreading: return motion == Motion::Threading;
    case MotionClass::kSpline: return motion == Motion::Spline;
    case MotionClass::kSplines: return motion == Motion::Spline || motion == Motion::QuadSpline;
  }
  return false;
}

// The motion a motion code's bit sets.
constexpr Motion MotionOf(unsigned bit) {
  switch (bit) {
    case g_codes::kArc: return Motion::Arc;
    case g_codes::kDrilling: return Motion::Drilling;
    case g_codes::kTapping: return Motion::Tapping;
    case g_codes::kPeckDrilling: return Motion::Peck;
    case g_codes::kPitch: return Motion::Pitch;
    case g_codes::kThreading: return Motion::Threading;
    case g_codes::kSpline: return Motion::Spline;
    case g_codes::kQuadSpline: return Motion::QuadSpline;
    default: return Motion::Straight;
  }
}

constexpr Plane PlaneOf(unsigned bit) {
  return bit == g_codes::kPlaneZX ? Plane::ZX : bit == g_codes::kPlaneYZ ? Plane::YZ : Plane::XY;
}

// What a line relied on of the modes before it: those it asked about and
// did not set itself. A chunk of a program converted apart from the lines
// before it starts on assumed modes, and is converted again where its
// lines relied on modes other than the true ones.
struct ModesRelied {
  bool plane = false;
  bool distance = false;
  unsigned motion_classes = 0;  // bits of MotionClass

  void Add(const ModesRelied& other) {
    plane = plane || other.plane;
    distance = distance || other.distance;
    motion_classes |= other.motion_classes;
  }
  // Lines that relied so come out otherwise after `actual` than after
  // `assumed`.
  bool Differ(const Modal& assumed, const Modal& actual) const {
    if (plane && assumed.plane != actual.plane) return true;
    if (distance && assumed.distance != actual.distance) return true;
    for (int c = 0; c < kMotionClasses; ++c) {
      const auto which = static_cast<MotionClass>(c);
      if (((motion_classes >> c) & 1) != 0 && InClass(assumed.motion, which) != InClass(actual.motion, which)) {
        return true;
      }
    }
    return false;
  }
};

// The modes one line runs in: its own plane, motion and distance codes, or
// else those before it, each question about the latter noted.
class LineModes {
 public:
  // `plane` and `motion`: the line's own codes' bits (0 for none);
  // `distance` likewise (kAbsolute or kIncremental).
  LineModes(const Modal& before, unsigned plane, unsigned motion, unsigned distance)
      : before_(before), plane_(plane), motion_(motion), distance_(distance) {}

  Plane plane() {
    if (plane_ != 0) return PlaneOf(plane_);
    relied_.plane = true;
    return before_.plane;
  }
  bool MotionIs(MotionClass which) {
    if (motion_ != 0) return InClass(MotionOf(motion_), which);
    relied_.motion_classes |= 1u << static_cast<int>(which);
    return InClass(before_.motion, which);
  }
  Distance distance() {
    if (distance_ != 0) return distance_ == g_codes::kIncremental ? Distance::Incremental : Distance::Absolute;
    relied_.distance = true;
    return before_.distance;
  }
  const ModesRelied& relied() const { return relied_; }

 private:
  const Modal& before_;
  unsigned plane_;
  unsigned motion_;
  unsigned distance_;
  ModesRelied relied_;
};

}  // namespace kivrel
