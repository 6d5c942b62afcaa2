#include "transform/process_line.h"
#include "transform/roles/g_codes.h"

// The modes a line runs in, and what a chunk relied on of those before it.

namespace kivrel {

using namespace line_tables;

void LineProcessor::StartChunk(const Modal& assumed, const CurrentPoint* point) {
  modal_ = assumed;
  set_fields_ = 0;
  relied_ = {};
  moved_ = false;
  point_ = point != nullptr ? *point : CurrentPoint::Relative();
  for (PendingAxis& pending : pending_) pending.pending = false;
  // A recorder is started on the notices' modal states for each chunk.
  if (notices_ != nullptr) watched_rows_ = notices_->watched_rows();
}

Modal LineProcessor::ModesOfLine(std::string_view line, const LineScan& scan, unsigned& own) const {
  Modal modes = modal_;
  own = 0;
  if (scan.plane != 0) {
    modes.plane = PlaneOf(scan.plane);
    own |= kPlaneField;
  }
  if (scan.motion != 0) {
    modes.motion = MotionOf(scan.motion);
    own |= kMotionField;
    // Which way the arcs turn: the last digit of the line's arc code (G2
    // or G3).
    modes.clockwise = false;
    for (std::size_t c = 0; c < scan.codes; ++c) {
      if ((scan.code_bits[c] & g_codes::kArc) != 0) modes.clockwise = line[scan.code_digit_at[c]] == '2';
    }
  }
  if (scan.distance != 0) {
    modes.distance = scan.distance == g_codes::kIncremental ? Distance::Incremental : Distance::Absolute;
    own |= kDistanceField;
  }
  const g_codes::Bits g = scan.g_codes;
  if ((g & (g_codes::kInches | g_codes::kMillimetres)) != 0) {
    modes.units = (g & g_codes::kMillimetres) != 0 ? Units::Millimetres : Units::Inches;
    own |= kUnitsField;
  }
  if ((g & (g_codes::kInverseTime | g_codes::kFeedPerMinute | g_codes::kFeedPerRev)) != 0) {
    modes.inverse_time = (g & g_codes::kInverseTime) != 0;
    own |= kFeedField;
  }
  if ((g & (g_codes::kCentreAbsolute | g_codes::kCentreIncremental)) != 0) {
    modes.absolute_centres = (g & g_codes::kCentreAbsolute) != 0;
    own |= kCentresField;
  }
  if ((g & (g_codes::kDiameterMode | g_codes::kRadiusMode)) != 0) {
    modes.diameters = (g & g_codes::kDiameterMode) != 0;
    own |= kDiametersField;
  }
  return modes;
}

void LineProcessor::FollowModes(const Modal& line_modes, unsigned own, LineModes& modes) {
  // What the line relied on of the modes before its chunk: those its chunk
  // has not set yet.
  ModesRelied relied = modes.relied();
  if ((set_fields_ & kPlaneField) != 0) relied.plane = false;
  if ((set_fields_ & kMotionField) != 0) relied.motion_classes = 0;
  if ((set_fields_ & kDistanceField) != 0) relied.distance = false;
  relied_.Add(relied);
  modal_ = line_modes;
  set_fields_ |= own;
}

void LineProcessor::ReadMode(unsigned field, unsigned own) {
  if (((own | set_fields_) & field) == 0) relied_.fields |= field;
}

void LineProcessor::PlanCodeEdits(std::string_view line, const LineScan& scan, LineModes& modes) {
  const UnitConversion units = plan_.units();
  for (std::size_t c = 0; c < scan.codes; ++c) {
    const g_codes::Bits bits = scan.code_bits[c];
    const std::size_t at = scan.code_digit_at[c];
    const char digit = line[at];
    char edited = digit;
    // A unit conversion names the units it converts to: G20 becomes G21,
    // or G21 G20.
    if ((bits & g_codes::kInches) != 0 && units == UnitConversion::ToMillimetres) edited = '1';
    if ((bits & g_codes::kMillimetres) != 0 && units == UnitConversion::ToInches) edited = '0';
    // The exchange carries the XZ plane onto the YZ plane: G18 and G19 trade.
    if ((bits & (g_codes::kPlaneZX | g_codes::kPlaneYZ)) != 0 && plan_.exchange()) edited = digit == '8' ? '9' : '8';
    // Where the settings turn the plane over, arcs and cutter compensation
    // run the other way: G2 and G3, G41 and G42 trade places.
    if ((bits & (g_codes::kArc | g_codes::kCompensation)) != 0 && plan_.TurnsAnyPlaneOver() &&
        plan_.TurnedOver(modes.plane())) {
      edited = digit == '2'   ? ((bits & g_codes::kArc) != 0 ? '3' : '1')
               : digit == '3' ? '2'
               : digit == '1' ? '2'
                              : digit;
    }
    if (edited != digit) edits_[edit_count_++] = {at, edited};
  }
}

}  // namespace kivrel
