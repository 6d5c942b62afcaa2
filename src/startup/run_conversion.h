#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "settings/settings.h"
#include "startup/exit_status.h"
#include "startup/platform.h"
#include "transform/process_text.h"

namespace kivrel {

inline constexpr const char* kZeroFeedNotice =
    "Feed rate of 0 has been introduced. Check your feed rate modifier. This will cause a "
    "problem. Exiting now.";

// The console lines that say why a conversion did not finish.
void ReportInputMissing(std::ostream& errors, const std::string& path);
// The zero-feed line names the input's line, and whether the program itself
// holds the feed of 0 or the settings made it.
void ReportZeroFeedLine(std::ostream& errors, const TextEnd& end);

// Converts the input file (the command text) into `output_name`: the settings
// comment block, the transformed lines, "(Finished Kivrel)"; then writes the
// result file, whose output-name line is `output_line` (the name as the
// host reads it). The program is written to a temporary file that replaces the
// output only once it is whole and on the disk (the progress window stays up
// meanwhile), so no partial program ever stands under the output name, not
// even after a power cut. A zero feed rate tells the operator, discards the
// temporary file and writes the zero-feed result. Other failures throw,
// with the temporary file removed and the result file left unwritten.
ExitStatus RunConversion(Platform& platform, const Settings& settings, const std::string& output_name,
                         const std::string& output_line);

}  // namespace kivrel
