#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"
#include "transform/notices/toolpath_notices.h"

namespace kivrel {

// The notices of a finished conversion, their lines counted in the
// converted program (after the settings comment block).
std::vector<std::string> ConvertedProgramNotices(const ToolpathNotices& notices, const Settings& settings);

// The text of the notices box: the program's file name (from a path with
// "/" or "\" folders), then one notice a line.
std::string NoticeBoxText(const std::string& program_path, const std::vector<std::string>& notices);

}  // namespace kivrel
