#pragma once

#include <memory>

#include "platform/file_system.h"
#include "startup/exit_status.h"
#include "startup/platform.h"

namespace kivrel {

// Converts the program named by the command text to `output` (standard
// output), for controllers that pass every program they open through a
// filter: the same bytes as kivrel's output file, except that a first line
// starting with "%" comes before the comment block. The platform's user
// interface is a FilterUserInterface: progress goes to standard error as
// FILTER_PROGRESS=N lines, at most one per percent; notices go there too,
// and with a display into one message box as well, after the program has
// gone out (a front end shows a filter's standard error only
// when it fails). No other window, no result file, no file beside the
// input; the parameter file is read (or created) in the program's folder as
// usual, but one that cannot be read fails the filter (status Failure,
// nothing on `output`) and is left as it is, where kivrel would replace it
// and go on with the defaults.
[[nodiscard]] ExitStatus RunFilter(Platform& platform, std::unique_ptr<WritableFile> output);

}  // namespace kivrel
