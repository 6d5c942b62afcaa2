#pragma once

#include <string>

#include "settings/settings.h"
#include "support/reference_numbers.h"
#include "transform/rewrite/rewrite_number.h"

namespace kivrel::testing {

// The line rules written out plainly, for clarity and not for speed: whole
// strings, the eight replace passes of the exchange, and numbers rounded on
// their exact decimal expansion. The fast transform must agree with it.
struct ReferenceLine {
  RewriteStatus status = RewriteStatus::Done;
  std::string line;
};

// The modes that run from line to line: the plane (17, 18, 19), the kind
// of motion (whose meaning words such as R, Q, K and P take), and the
// distance mode (90, 91).
struct ReferenceModes {
  int plane = 17;
  enum Motion { kOther, kArc, kDrilling, kTapping, kPeck, kPitch, kThreading, kSpline, kQuadSpline } motion = kOther;
  int distance = 90;
};

ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings);
ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings, ReferenceModes& modes);

// The line passes wholly as read for a code before its comment: it sets the
// machine's configuration (G130) or carries a message (M117, M118).
bool ReferenceKeepsWholeLine(const std::string& line);

}  // namespace kivrel::testing
