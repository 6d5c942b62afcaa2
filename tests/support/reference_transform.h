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

ReferenceLine ReferenceProcessLine(const std::string& line, const Settings& settings);

// The line sets the machine's configuration (G130, M92, M201 to M208, M350,
// M906, M907 before its comment), so it passes as read.
bool ReferenceSetsConfiguration(const std::string& line);

// The value of the number at the start of `text`, read by the plain rules.
double ReferenceLeadingNumber(const std::string& text);

}  // namespace kivrel::testing
