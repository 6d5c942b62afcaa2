#pragma once

#include <string>

#include "settings/settings.h"
#include "transform/rewrite_number.h"

namespace kivrel::testing {

// The line rules written out plainly, for clarity and not for speed: whole
// strings, the eight replace passes of the exchange, and numbers rounded on
// their exact decimal expansion. The fast transform must agree with it.
struct ReferenceLine {
  RewriteStatus status = RewriteStatus::Done;
  std::string line;
};

// The modes that run from line to line: the plane (17, 18, 19) and what
// the motion mode makes of R and Q (an arc, a drilling cycle, a peck
// drilling cycle, anything else).
struct ReferenceModes {
  int plane = 17;
  enum Motion { kOther, kArc, kDrilling, kPeck } motion = kOther;
};

ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings);
ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings, ReferenceModes& modes);

// The line sets the machine's configuration (G130, M92, M201 to M208, M350,
// M906, M907 before its comment), so it passes as read.
bool ReferenceSetsConfiguration(const std::string& line);

// The value of the number at the start of `text`, read by the plain rules.
double ReferenceLeadingNumber(const std::string& text);

}  // namespace kivrel::testing
