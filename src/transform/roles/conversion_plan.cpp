#include "transform/roles/conversion_plan.h"

#include <cmath>

namespace kivrel {
namespace {

using namespace line_tables;

// Each plane's two axes, then its normal, as scales of the settings.
constexpr float Settings::*kPlaneAxes[3][3] = {{&Settings::XScale, &Settings::YScale, &Settings::ZScale},
                                               {&Settings::ZScale, &Settings::XScale, &Settings::YScale},
                                               {&Settings::YScale, &Settings::ZScale, &Settings::XScale}};

RowSetting Active(float scale, float addend) { return {scale, addend, true, scale == 0}; }

}  // namespace

ConversionPlan::ConversionPlan(const Settings& settings) : settings_(settings), units_(UnitConversionOf(settings)) {
  const Settings& s = settings_;
  unit_factor_ = units_ == UnitConversion::ToMillimetres ? kInchesToMillimetres
                 : units_ == UnitConversion::ToInches    ? kMillimetresToInches
                                                         : 1.0f;
  for (int p = 0; p < 3; ++p) {
    // The exchange is a mirror: in XY it trades the plane's two axes, and it
    // carries the XZ plane onto the YZ plane and back (G18 becomes G19),
    // trading their order too.
    const int mirrors = (s.XYexchange ? 1 : 0) + (s.*kPlaneAxes[p][0] < 0 ? 1 : 0) + (s.*kPlaneAxes[p][1] < 0 ? 1 : 0);
    turned_over_[p] = mirrors % 2 == 1;
  }
  scales_threads_ = s.XScale != unit_factor_ || s.ZScale != unit_factor_ || s.XYexchange;
  // Polar words: a radius and an angle in the XY plane, which a map that
  // keeps lengths' proportions in XY maps onto a radius and an angle.
  polar_ = std::fabs(s.XScale) == std::fabs(s.YScale) && s.XScale != 0;
  const bool flipped = ((s.XScale < 0) != (s.YScale < 0)) != s.XYexchange;
  polar_sign_ = flipped ? -1.0f : 1.0f;
  // The angle 0 goes where the map takes the direction of +X.
  polar_offset_ = s.XYexchange ? (s.XScale > 0 ? 90.0f : -90.0f) : (s.XScale < 0 ? 180.0f : 0.0f);

  for (Plane plane : {Plane::XY, Plane::ZX, Plane::YZ}) {
    const int p = static_cast<int>(plane);
    const float first = std::fabs(s.*kPlaneAxes[p][0]);
    const float second = std::fabs(s.*kPlaneAxes[p][1]);
    tracks_point_ = tracks_point_ || (first != 0 && second != 0 && (first != second || first != 1));
  }

  bool cycles = s.XScale < 0;  // a threading cycle's depth along a mirrored X
  for (Plane plane : {Plane::XY, Plane::ZX, Plane::YZ}) cycles = cycles || CycleAxisTurned(plane);
  if (cycles) facts_wanted_ |= kWantCycles | kWantThreading;
  if (scales_threads_) facts_wanted_ |= kWantThreading;
  if (s.SpindleRPM != 0) facts_wanted_ |= kWantTapping;

  // The rows the scan collects, with what their plain meaning makes of them.
  const bool lengths = s.XScale != 1 || s.YScale != 1 || s.ZScale != 1;
  const bool units = units_ != UnitConversion::None;
  const bool spline = s.XScale != 1 || s.YScale != 1 || s.XYexchange;
  for (int row = 0; row < kRows; ++row) {
    RowSetting& collected = collected_[row];
    collected = Setting(kPlainRoles[row], row, Plane::XY);
    const char letter = kRowLetters[row];
    if (letter == 'R') collected.active = lengths;
    if (letter == 'Q' || letter == 'P') collected.active = units || spline;
    if (letter == 'E' || letter == 'D') collected.active = units;
    if (letter == '^') collected.active = polar_ && (flipped || polar_offset_ != 0);
  }
}

float ConversionPlan::AxisScale(int row) const {
  if (row == kRowX || row == kRowI) return settings_.XScale;
  if (row == kRowY || row == kRowJ) return settings_.YScale;
  if (row == kRowZ || row == kRowK) return settings_.ZScale;
  return settings_.AScale;
}

bool ConversionPlan::RadiusScales(Plane plane) const {
  const int p = static_cast<int>(plane);
  return std::fabs(settings_.*kPlaneAxes[p][0]) == std::fabs(settings_.*kPlaneAxes[p][1]);
}

bool ConversionPlan::Distorted(Plane plane) const {
  const int p = static_cast<int>(plane);
  const float first = settings_.*kPlaneAxes[p][0];
  const float second = settings_.*kPlaneAxes[p][1];
  return first != 0 && second != 0 && std::fabs(first) != std::fabs(second);
}

Plane ConversionPlan::OutputPlane(Plane plane) const {
  if (!exchange() || plane == Plane::XY) return plane;
  return plane == Plane::ZX ? Plane::YZ : Plane::ZX;
}

PlaneMap ConversionPlan::MapOf(Plane plane) const {
  constexpr float Settings::*kAxisScale[3] = {&Settings::XScale, &Settings::YScale, &Settings::ZScale};
  const Plane output = OutputPlane(plane);
  PlaneMap map{};
  for (int c = 0; c < 2; ++c) {
    const int axis = PlaneAxis(plane, c);
    for (int r = 0; r < 2; ++r) {
      if (PlaneAxis(output, r) == OutputAxis(axis)) map.m[r][c] = static_cast<double>(settings_.*kAxisScale[axis]);
    }
  }
  map.normal = static_cast<double>(settings_.*kAxisScale[PlaneAxis(plane, 2)]);
  return map;
}

bool ConversionPlan::CycleAxisTurned(Plane plane) const {
  return settings_.*kPlaneAxes[static_cast<int>(plane)][2] < 0;
}

RowSetting ConversionPlan::Setting(Role role, int row, Plane plane) const {
  const Settings& s = settings_;
  const bool units = units_ != UnitConversion::None;
  const int p = static_cast<int>(plane);
  switch (role) {
    case Role::kAsRead: return {};
    case Role::kPosition: return Active(AxisScale(row), 0);
    case Role::kIncrement: {
      RowSetting increment = row == kRowRadius ? Setting(Role::kPolarRadius, row, plane) : Active(AxisScale(row), 0);
      increment.decimals = Decimals::AsNeeded;
      return increment;
    }
    case Role::kRadius: {
      // The radius has no sign of its own to mirror: a negative R asks for
      // the longer arc, whichever way the arc then turns.
      if (!RadiusScales(plane)) return {};
      return Active(std::fabs(s.*kPlaneAxes[p][0]), 0);
    }
    case Role::kRetract: return Active(s.*kPlaneAxes[p][2], 0);
    case Role::kMachinePosition:
    case Role::kToolSize:
    case Role::kPitch:
    case Role::kThreadSize:
    case Role::kPeckDepth:
    case Role::kTolerance:
    case Role::kTappingFeed:
      return units ? Active(unit_factor_, 0) : RowSetting{};
    case Role::kFeed: return Active(s.FeedScale, s.FeedAdd);
    case Role::kSpeed: return s.SpindleRPM != 0 ? Active(1, s.SpindleRPM) : RowSetting{};
    case Role::kSplineX: return Active(s.XScale, 0);
    case Role::kSplineY: return Active(s.YScale, 0);
    case Role::kPolarRadius:
      return polar_ && std::fabs(s.XScale) != 1 ? Active(std::fabs(s.XScale), 0) : RowSetting{};
    case Role::kPolarAngle:
      return polar_ && (polar_sign_ != 1 || polar_offset_ != 0) ? Active(polar_sign_, polar_offset_) : RowSetting{};
    case Role::kPolarTurn: return polar_ && polar_sign_ != 1 ? Active(polar_sign_, 0) : RowSetting{};
  }
  return {};
}

}  // namespace kivrel
