#pragma once

#include <string>
#include <string_view>

namespace kivrel {

// `path` (UTF-8) as Windows' file calls take it. A path whose full form is
// MAX_PATH characters or longer gets that full form with the extended
// prefix, "\\?\" (or "\\?\UNC\" for a share), which lifts the limit;
// shorter ones stay as they are.
std::wstring FileCallPath(std::string_view path);

}  // namespace kivrel
