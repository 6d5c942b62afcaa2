#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "startup/exit_status.h"

namespace kivrel {

// What kivrel-filter takes from its surroundings.
struct FilterPlatform {
  FileSystem& files;
  MessageBoxes& boxes;    // notices, one line each on standard error
  std::ostream& errors;   // progress lines and failure reports
  std::string program_folder;
  std::string CommandText;  // the input program's path
  // Shows the notices of a finished conversion in a message box and returns
  // when it is answered; false where there is no display to show it on.
  std::function<bool(const std::string&)> notice_box;
};

// Converts the program named by the command text to `output` (standard
// output), for controllers that pass every program they open through a
// filter: the same bytes as kivrel's output file, except that a first line
// starting with "%" comes before the comment block. Progress goes to
// `errors` as FILTER_PROGRESS=N lines, at most one per percent. Notices go
// to `errors`, and with a display into one message box as well, after the
// program has gone out (a front end shows a filter's standard error only
// when it fails). No other window, no result file, no file beside the
// input; the parameter file is read (or created) in the program's folder as
// usual, but one that cannot be read fails the filter (status Failure,
// nothing on `output`) and is left as it is, where kivrel would replace it
// and go on with the defaults.
ExitStatus RunFilter(FilterPlatform& platform, std::unique_ptr<WritableFile> output);

}  // namespace kivrel
