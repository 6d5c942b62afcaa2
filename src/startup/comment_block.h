#pragma once

#include <string>

#include "settings/settings.h"

namespace kivrel {

// The nine comment lines that head every output file and record the
// settings used, each ended by CR LF.
std::string SettingsCommentBlock(const Settings& settings);

}  // namespace kivrel
