#pragma once

#include "transform/roles/g_codes.h"
#include "transform/roles/modes.h"
#include "transform/scan/line_tables.h"

namespace kivrel {

// The modal states that decide which words the notices must hear of on a
// line that holds nothing else for them, and those words' rows: the arc
// centres of the active plane, A words that take a unit factor, F words in
// inverse time or per revolution, S words at constant surface speed. The
// notices follow them from line to line; a thread that converts a chunk
// follows them too, from the states it assumes at the chunk's start. Two
// watches of the same settings with the same rows watch the same rows after
// any line, whatever states they hold.
class NoticeWatch {
 public:
  // Watches nothing beyond the XY plane's centres.
  NoticeWatch() = default;
  // `a_words`: A words take a unit factor. `inverse_time_feeds`: F words in
  // inverse time are changed; `per_revolution_feeds`: F words per
  // revolution are; `surface_speeds`: S words at constant surface speed are.
  NoticeWatch(bool a_words, bool inverse_time_feeds, bool per_revolution_feeds, bool surface_speeds)
      : a_words_(a_words),
        inverse_time_feeds_(inverse_time_feeds),
        per_revolution_feeds_(per_revolution_feeds),
        surface_speeds_(surface_speeds) {
    Watch();
  }

  // Takes on the modal states a line's G codes set.
  void Hear(g_codes::Bits g) {
    if (g == 0) return;
    if (g & g_codes::kPlaneXY) plane_ = Plane::XY;
    if (g & g_codes::kPlaneZX) plane_ = Plane::ZX;
    if (g & g_codes::kPlaneYZ) plane_ = Plane::YZ;
    if (g & g_codes::kInverseTime) inverse_time_ = true;
    if (g & (g_codes::kFeedPerMinute | g_codes::kFeedPerRev)) inverse_time_ = false;
    if (g & g_codes::kFeedPerRev) per_revolution_ = true;
    if (g & (g_codes::kFeedPerMinute | g_codes::kInverseTime)) per_revolution_ = false;
    if (g & g_codes::kSurfaceSpeed) surface_speed_ = true;
    if (g & g_codes::kSpindleRpm) surface_speed_ = false;
    Watch();
  }

  unsigned rows() const { return rows_; }
  Plane plane() const { return plane_; }
  bool inverse_time() const { return inverse_time_; }
  bool per_revolution() const { return per_revolution_; }
  bool surface_speed() const { return surface_speed_; }

 private:
  void Watch() {
    using line_tables::RowBit;
    static constexpr unsigned kCentres[] = {RowBit('I') | RowBit('J'), RowBit('K') | RowBit('I'),
                                            RowBit('J') | RowBit('K')};
    rows_ = kCentres[static_cast<int>(plane_)];
    if (a_words_) rows_ |= RowBit('A');
    if ((inverse_time_ && inverse_time_feeds_) || (per_revolution_ && per_revolution_feeds_)) rows_ |= RowBit('F');
    if (surface_speed_ && surface_speeds_) rows_ |= RowBit('S');
  }

  bool a_words_ = false;
  bool inverse_time_feeds_ = false;
  bool per_revolution_feeds_ = false;
  bool surface_speeds_ = false;
  Plane plane_ = Plane::XY;
  bool inverse_time_ = false;
  bool per_revolution_ = false;
  bool surface_speed_ = false;
  unsigned rows_ = line_tables::RowBit('I') | line_tables::RowBit('J');
};

}  // namespace kivrel
