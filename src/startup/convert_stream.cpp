#include "startup/convert_stream.h"

#include <string>

#include "startup/comment_block.h"

namespace kivrel {

TextOutcome ConvertStream(TextReader& input, TextWriter& output, const Settings& settings,
                          ProgressTracker& progress, bool percent_line_first, ToolpathNotices& notices) {
  std::uint64_t lines_before = 0;
  if (percent_line_first && input.PeekByte() == '%') {
    // A line that starts with "%" passes through unchanged anyway.
    std::string first;
    input.ReadLine(first);
    progress.LineRead(first.size());
    ++lines_before;  // a "%" line holds nothing the notices look for
    first += "\r\n";
    output.Write(first);
    progress.LineWritten();
  }
  output.Write(SettingsCommentBlock(settings));
  const TextOutcome outcome = ProcessText(input, output, settings, progress, &notices, lines_before);
  if (outcome == TextOutcome::Finished) output.Write("(Finished Kivrel)");
  return outcome;
}

}  // namespace kivrel
