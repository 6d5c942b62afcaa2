#pragma once

#include <string>
#include <string_view>

#include "common/file_system.h"

namespace kivrel {

// Writes `content` to a new temporary file beside `path`, closes it and
// renames it over `path`, so that `path` holds either its old content or the
// whole new one. On a failure the temporary file is removed and the Failure
// passed on; `created` (if given) tells whether the temporary file had been
// created before the failure.
void ReplaceFile(FileSystem& files, const std::string& path, std::string_view content,
                 bool* created = nullptr);

// Removes a temporary file after a failure, as far as that is possible: the
// failure that led here is the one worth reporting.
void DiscardTemporary(FileSystem& files, const std::string& temporary_path);

}  // namespace kivrel
