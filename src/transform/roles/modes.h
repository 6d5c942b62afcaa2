#pragma once

#include <bit>

#include "transform/roles/g_codes.h"

namespace kivrel {

// The modes that run from line to line and that the meaning of a word
// depends on (the active plane, the kind of motion, the distance mode), and
// those that the following of the tool's point depends on.
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
enum class Units : unsigned char { Unknown, Inches, Millimetres };

// The modes, each a field of Modal, as bits: those a line or a chunk of
// lines sets, or relies on.
enum ModeField : unsigned {
  kPlaneField = 1u << 0,
  kMotionField = 1u << 1,
  kDistanceField = 1u << 2,
  kUnitsField = 1u << 3,      // G20, G21
  kFeedField = 1u << 4,       // G93 against G94, G95
  kCentresField = 1u << 5,    // G90.1, G91.1
  kDiametersField = 1u << 6,  // G7, G8
};

struct Modal {
  Plane plane = Plane::XY;
  Motion motion = Motion::Straight;
  Distance distance = Distance::Absolute;
  bool clockwise = false;         // the arcs are G2 (with the motion)
  Units units = Units::Unknown;
  bool inverse_time = false;      // G93: F is the inverse of the move's time
  bool absolute_centres = false;  // G90.1: I, J and K name the centre itself
  bool diameters = false;         // G7: X words are diameters
  bool operator==(const Modal&) const = default;

  // These modes with the `fields` of `later` taken over.
  void Take(const Modal& later, unsigned fields) {
    if ((fields & kPlaneField) != 0) plane = later.plane;
    if ((fields & kMotionField) != 0) {
      motion = later.motion;
      clockwise = later.clockwise;
    }
    if ((fields & kDistanceField) != 0) distance = later.distance;
    if ((fields & kUnitsField) != 0) units = later.units;
    if ((fields & kFeedField) != 0) inverse_time = later.inverse_time;
    if ((fields & kCentresField) != 0) absolute_centres = later.absolute_centres;
    if ((fields & kDiametersField) != 0) diameters = later.diameters;
  }
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

// The classes each motion belongs to, as bits of MotionClass.
constexpr unsigned ClassBit(MotionClass which) { return 1u << static_cast<int>(which); }
inline constexpr unsigned kClassesOf[] = {
    0,                                                                                 // Straight
    ClassBit(MotionClass::kArc),                                                       // Arc
    ClassBit(MotionClass::kCycle),                                                     // Drilling
    ClassBit(MotionClass::kCycle) | ClassBit(MotionClass::kTapping),                   // Tapping
    ClassBit(MotionClass::kCycle) | ClassBit(MotionClass::kPeck),                      // Peck
    ClassBit(MotionClass::kPitch),                                                     // Pitch
    ClassBit(MotionClass::kThreading),                                                 // Threading
    ClassBit(MotionClass::kSpline) | ClassBit(MotionClass::kSplines),                  // Spline
    ClassBit(MotionClass::kSplines),                                                   // QuadSpline
};

constexpr bool InClass(Motion motion, MotionClass which) {
  return (kClassesOf[static_cast<int>(motion)] & ClassBit(which)) != 0;
}

// The motion a motion code's bit sets (any other bit: a straight motion).
struct MotionTable {
  Motion of[32];
  constexpr MotionTable() : of() {
    for (Motion& motion : of) motion = Motion::Straight;
    const struct {
      g_codes::Bits bit;
      Motion motion;
    } kinds[] = {{g_codes::kArc, Motion::Arc},           {g_codes::kDrilling, Motion::Drilling},
                 {g_codes::kTapping, Motion::Tapping},   {g_codes::kPeckDrilling, Motion::Peck},
                 {g_codes::kPitch, Motion::Pitch},       {g_codes::kThreading, Motion::Threading},
                 {g_codes::kSpline, Motion::Spline},     {g_codes::kQuadSpline, Motion::QuadSpline}};
    for (const auto& kind : kinds) of[std::countr_zero(kind.bit)] = kind.motion;
  }
};
inline constexpr MotionTable kMotionTable;
constexpr Motion MotionOf(g_codes::Bits bit) { return kMotionTable.of[std::countr_zero(bit) & 31]; }

constexpr Plane PlaneOf(g_codes::Bits bit) {
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
  unsigned fields = 0;          // the other modes relied on, as ModeField bits
  unsigned point_axes = 0;      // the axes (X 1, Y 2, Z 4) where the tool stood before

  void Add(const ModesRelied& other) {
    plane = plane || other.plane;
    distance = distance || other.distance;
    motion_classes |= other.motion_classes;
    fields |= other.fields;
    point_axes |= other.point_axes;
  }
  // Lines that relied so come out otherwise after `actual` than after
  // `assumed`.
  bool Differ(const Modal& assumed, const Modal& actual) const {
    if (plane && assumed.plane != actual.plane) return true;
    if (distance && assumed.distance != actual.distance) return true;
    Modal taken = assumed;
    taken.Take(actual, fields);
    if (taken != assumed) return true;
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
  // `distance` likewise (kAbsolute or kIncremental). Every caller passes
  // LineScan's fields of the same names.
  // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
  LineModes(const Modal& before, g_codes::Bits plane, g_codes::Bits motion, g_codes::Bits distance)
      : before_(before),
        plane_(plane),
        own_motion_(motion != 0),
        own_distance_(distance != 0),
        classes_(kClassesOf[static_cast<int>(motion != 0 ? MotionOf(motion) : before.motion)]),
        incremental_(distance != 0 ? distance == g_codes::kIncremental : before.distance == Distance::Incremental) {}

  Plane plane() {
    if (plane_ != 0) return PlaneOf(plane_);
    relied_.plane = true;
    return before_.plane;
  }
  bool MotionIs(MotionClass which) {
    if (!own_motion_) relied_.motion_classes |= ClassBit(which);
    return (classes_ & ClassBit(which)) != 0;
  }
  Distance distance() {
    if (!own_distance_) relied_.distance = true;
    return incremental_ ? Distance::Incremental : Distance::Absolute;
  }
  const ModesRelied& relied() const { return relied_; }

 private:
  const Modal& before_;
  g_codes::Bits plane_;
  bool own_motion_;
  bool own_distance_;
  unsigned classes_;  // of the motion the line runs in
  bool incremental_;
  ModesRelied relied_;
};

}  // namespace kivrel
