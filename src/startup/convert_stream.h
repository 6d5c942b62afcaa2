#pragma once

#include <cstdint>

#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "settings/settings.h"
#include "transform/process_text.h"

namespace kivrel {

// Where an input's first line that is not empty goes when it is a "%" line.
enum class PercentLine {
  kInPlace,  // after the comment block, as every other line
  kFirst,    // with the empty lines before it, before the comment block (for
             // controllers that accept "%" only as the first line)
};

// Writes the converted program: the settings comment block, the transformed
// lines and "(Finished Kivrel)", a first "%" line where `percent_line` says. After a zero feed rate the closing
// comment is not written. `notices` sees every line. `input_size`: the
// input file's size in bytes. `engine`: how the text is shared out among
// threads.
TextEnd ConvertStream(TextReader& input, std::uint64_t input_size, TextWriter& output, const Settings& settings,
                      ProgressTracker& progress, PercentLine percent_line, ToolpathNotices& notices,
                      const EngineOptions& engine = {});

}  // namespace kivrel
