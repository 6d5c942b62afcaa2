#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "common/failure.h"
#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "transform/notices/toolpath_notices.h"
#include "transform/progress_tracker.h"
#include "transform/roles/conversion_plan.h"

namespace kivrel {

enum class TextOutcome { Finished, ZeroFeed };

// How a text ended: finished, or at the line (counted from 1 in the input)
// whose feed came out as 0.
struct [[nodiscard]] TextEnd {
  TextOutcome outcome = TextOutcome::Finished;
  std::uint64_t line = 0;
  bool zero_in_program = false;  // that feed word is 0 in the program itself
};

// How the text is cut up and shared out.
struct EngineOptions {
  std::size_t chunk_bytes = 256 * 1024;  // whole lines, at least this much, at a time
  // Threads that convert chunks, besides the one that reads and writes. With
  // none, or for an input below `parallel_from` bytes, the calling thread
  // converts alone: a short program starts no thread.
  unsigned workers = 0;
  std::uint64_t parallel_from = 1024 * 1024;
  // Starts a worker thread; may throw (std::system_error) where the system
  // has no more threads to give. Unset: std::thread.
  std::function<std::thread(std::function<void()>)> start_thread;
};

// "number out of range in line N, word W".
Failure OutOfRange(std::uint64_t line_number, const std::string& word);

// Copies every line of `input` to `output`, transformed, each followed by
// CR LF, and keeps the progress bar moving. `input_size`, the input's size in
// bytes as the file system gives it, decides whether threads start. Stops at
// a line whose feed comes out as 0 (that line is not written, the lines
// before it are). A number beyond the 32-bit range throws a Failure naming
// the line and the word, the lines before it written. `notices`, when given,
// hears every line in order; `lines_before` lines of the input were read
// before (for the line numbers). A long text is converted on several threads,
// a chunk of lines each, and written in order: the same bytes, outcome and
// notices as on one thread.
TextEnd ProcessText(TextReader& input, std::uint64_t input_size, TextWriter& output, const ConversionPlan& plan,
                    ProgressTracker& progress, ToolpathNotices* notices = nullptr, std::uint64_t lines_before = 0,
                    const EngineOptions& options = {});

}  // namespace kivrel
