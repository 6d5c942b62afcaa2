#pragma once

#include <string>

#include "settings/settings.h"

namespace kivrel {

// The program's version as the comment block and the dialog caption show it.
inline constexpr int kVersionMajor = 4;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 1;

// "4.0.1"
std::string VersionText();

// The nine comment lines that head every output file and record the
// settings used, each ended by CR LF.
std::string SettingsCommentBlock(const Settings& settings);

}  // namespace kivrel
