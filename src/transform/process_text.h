#pragma once

#include <cstdint>

#include "common/failure.h"
#include "common/text_reader.h"
#include "common/text_writer.h"
#include "settings/settings.h"
#include "transform/progress_tracker.h"
#include "transform/toolpath_notices.h"

namespace kivrel {

enum class TextOutcome { Finished, ZeroFeed };

// How a text ended: finished, or at the line (counted from 1 in the input)
// whose feed came out as 0.
struct TextEnd {
  TextOutcome outcome = TextOutcome::Finished;
  std::uint64_t line = 0;
};

// Copies every line of `input` to `output`, transformed, each followed by
// CR LF, and keeps the progress bar moving. Stops at a line whose feed comes
// out as 0 (that line is not written). A number beyond the 32-bit range
// throws a Failure naming the line and the word. `notices`, when given,
// looks at every line as read; `lines_before` lines of the input were read
// before (for the line numbers).
// The input is converted a chunk of whole lines at a time.
inline constexpr std::size_t kChunkBytes = 256 * 1024;

// "number out of range in line N, word W".
Failure OutOfRange(std::uint64_t line_number, const std::string& word);

TextEnd ProcessText(TextReader& input, TextWriter& output, const Settings& settings,
                        ProgressTracker& progress, ToolpathNotices* notices = nullptr,
                        std::uint64_t lines_before = 0);

}  // namespace kivrel
