#pragma once

#include <string>
#include <vector>

#include "platform/text_writer.h"
#include "settings/settings.h"
#include "startup/convert_stream.h"
#include "startup/platform.h"
#include "transform/process_text.h"

namespace kivrel {

// What became of the conversion of a program.
struct [[nodiscard]] ConvertedProgram {
  TextEnd end;
  std::vector<std::string> notices;  // of a finished conversion, to tell the operator
};

// The conversion both programs run: reads the program named by the command
// text and writes it converted to `output`, its progress on the user
// interface's view. After a zero feed rate the operator has been told (a
// message box and a line on standard error); what becomes of the output is
// the caller's to decide. Failures throw.
[[nodiscard]] ConvertedProgram ConvertProgram(Platform& platform, const Settings& settings, TextWriter& output,
                                              PercentLine percent_line);

}  // namespace kivrel
