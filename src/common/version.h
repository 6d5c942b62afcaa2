#pragma once

#include <string>

namespace kivrel {

// The program's version, as the comment block and the dialog caption show it.
inline constexpr int kVersionMajor = 4;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 1;

// The fixed number the result file and the progress window report.
inline constexpr int kResultVersion = 4;

// "4.0.1"
inline std::string VersionText() {
  return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

}  // namespace kivrel
