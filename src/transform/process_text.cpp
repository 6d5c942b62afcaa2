#include "transform/process_text.h"

#include <string>
#include <system_error>

#include "common/failure.h"
#include "transform/process_line.h"

namespace kivrel {

TextEnd ProcessText(TextReader& input, TextWriter& output, const Settings& settings,
                        ProgressTracker& progress, ToolpathNotices* notices, std::uint64_t lines_before) {
  LineProcessor processor(settings, notices);
  std::string CurrentLine;
  std::uint64_t line_number = lines_before;
  while (!input.AtEndOfStream()) {
    input.ReadLine(CurrentLine);
    ++line_number;
    progress.LineRead(CurrentLine.size());
    switch (processor.ProcessLine(CurrentLine, line_number)) {
      case RewriteStatus::Done:
        break;
      case RewriteStatus::ZeroFeed:
        return {TextOutcome::ZeroFeed, line_number};
      case RewriteStatus::OutOfRange:
        throw Failure(static_cast<int>(std::errc::result_out_of_range),
                      "number out of range in line " + std::to_string(line_number) + ", word " +
                          processor.failed_word());
    }
    CurrentLine.append("\r\n", 2);
    output.Write(CurrentLine);
    progress.LineWritten();
  }
  return {};
}

}  // namespace kivrel
