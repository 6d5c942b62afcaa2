#pragma once

#include "settings/settings.h"
#include "settings/unit_factors.h"
#include "transform/rewrite/arc_pieces.h"
#include "transform/rewrite/rewrite_number.h"
#include "transform/roles/modes.h"
#include "transform/roles/word_roles.h"
#include "transform/scan/line_tables.h"

namespace kivrel {

// How a word of a row is rewritten: its scale and addend, whether it is
// rewritten at all, and whether the scale of 0 removes it.
struct RowSetting {
  float scale = 1;
  float addend = 0;
  bool active = false;
  bool removes = false;
  Decimals decimals = Decimals::Four;
};

// The settings change the value of the row's words.
inline bool ChangesValue(const RowSetting& row) { return row.active && (row.scale != 1 || row.addend != 0); }

// What the settings make of each meaning a word can have, worked out once
// for a conversion.
class ConversionPlan {
 public:
  explicit ConversionPlan(const Settings& settings);

  const Settings& settings() const { return settings_; }
  UnitConversion units() const { return units_; }
  bool exchange() const { return settings_.XYexchange; }

  // How a word of `row` is converted where it means `role`, in `plane`.
  RowSetting Setting(Role role, int row, Plane plane) const;
  // The words of `row` the line scan collects: those some meaning may
  // change, with what the row's plain meaning makes of them.
  const RowSetting& Collected(int row) const { return collected_[row]; }
  // Arcs and cutter compensation in the plane run the other way: it is
  // turned over (an odd number of mirrors, the exchange counting as one).
  bool TurnedOver(Plane plane) const { return turned_over_[static_cast<int>(plane)]; }
  bool TurnsAnyPlaneOver() const { return turned_over_[0] || turned_over_[1] || turned_over_[2]; }
  // An arc's radius keeps its meaning: the plane's two scales have one size.
  bool RadiusScales(Plane plane) const;
  // An arc's image in the plane is no circle: the plane's two scales differ
  // in size, and neither is 0.
  bool Distorted(Plane plane) const;
  // The conversion follows where the tool stands: in some plane an arc's
  // image, or the centre its radius word gives, needs the arc's start.
  bool TracksPoint() const { return tracks_point_; }
  // The axis (X 0, Y 1, Z 2) of the plane's first and second coordinates
  // and of its normal (`coordinate` 2).
  static int PlaneAxis(Plane plane, int coordinate) { return kPlaneAxisOf[static_cast<int>(plane)][coordinate]; }
  // The axis a program's axis comes out as: the exchange trades X and Y.
  int OutputAxis(int axis) const { return exchange() && axis < 2 ? 1 - axis : axis; }
  // The scale of an axis (X 0, Y 1, Z 2).
  double ScaleOf(int axis) const {
    return static_cast<double>(axis == 0 ? settings_.XScale : axis == 1 ? settings_.YScale : settings_.ZScale);
  }
  // The plane an arc in `plane` comes out in: the exchange carries the XZ
  // plane onto the YZ plane and back.
  Plane OutputPlane(Plane plane) const;
  // The settings' map from the plane's coordinates onto those of the plane
  // it comes out in.
  PlaneMap MapOf(Plane plane) const;
  // A canned cycle in the plane drills along a mirrored axis.
  bool CycleAxisTurned(Plane plane) const;
  // Where the settings change X or Z otherwise than a unit conversion would
  // (a threading cycle's sizes follow only a unit conversion).
  bool ScalesThreads() const { return scales_threads_; }
  // Polar words keep their meaning: X and Y have scales of one size.
  bool PolarConverted() const { return polar_; }
  // The facts of a line the notices need under these settings.
  unsigned facts_wanted() const { return facts_wanted_; }

 private:
  float AxisScale(int row) const;
  static constexpr int kPlaneAxisOf[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};

  Settings settings_;
  UnitConversion units_;
  float unit_factor_;
  bool turned_over_[3] = {};
  bool scales_threads_ = false;
  bool polar_ = false;
  bool tracks_point_ = false;
  float polar_sign_ = 1;    // the angle's sign in G90 (and of an increment in G91)
  float polar_offset_ = 0;  // what is added to the angle in G90
  unsigned facts_wanted_ = 0;
  RowSetting collected_[line_tables::kRows];
};

}  // namespace kivrel
