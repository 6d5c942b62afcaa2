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

// The value of the number at the start of `text`, read by the plain rules.
double ReferenceLeadingNumber(const std::string& text);

}  // namespace kivrel::testing
