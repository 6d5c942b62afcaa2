#pragma once

#include <cstdint>

#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "settings/settings.h"
#include "transform/process_text.h"

namespace kivrel {

// Writes the converted program: the settings comment block, the transformed
// lines and "(Finished Kivrel)". With `percent_line_first`, an input whose
// first line that is not empty is a "%" line has that line, and the empty
// lines before it, written before the comment block (for controllers that
// accept "%" only as the first line). After a zero feed rate the closing
// comment is not written. `notices` sees every line. `input_size`: the
// input file's size in bytes.
TextEnd ConvertStream(TextReader& input, std::uint64_t input_size, TextWriter& output, const Settings& settings,
                      ProgressTracker& progress, bool percent_line_first, ToolpathNotices& notices);

}  // namespace kivrel
