#pragma once

#include <cstdint>

#include "common/text_reader.h"
#include "common/text_writer.h"
#include "settings/settings.h"
#include "transform/progress_tracker.h"

namespace kivrel {

enum class TextOutcome { Finished, ZeroFeed };

// Copies every line of `input` to `output`, transformed, each followed by
// CR LF, and keeps the progress bar moving. Stops at a line whose feed comes
// out as 0 (that line is not written). A number beyond the 32-bit range
// throws a Failure naming the line and the word.
TextOutcome ProcessText(TextReader& input, TextWriter& output, const Settings& settings,
                        ProgressTracker& progress);

}  // namespace kivrel
