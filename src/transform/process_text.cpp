#include "transform/process_text.h"

#include <string>
#include <system_error>

#include "common/byte_buffer.h"
#include "common/failure.h"
#include "common/line_ends.h"
#include "transform/process_line.h"

namespace kivrel {

Failure OutOfRange(std::uint64_t line_number, const std::string& word) {
  return Failure(static_cast<int>(std::errc::result_out_of_range),
                 "number out of range in line " + std::to_string(line_number) + ", word " + word);
}

TextEnd ProcessText(TextReader& input, TextWriter& output, const Settings& settings,
                    ProgressTracker& progress, ToolpathNotices* notices, std::uint64_t lines_before) {
  LineProcessor processor(settings, notices);
  ByteBuffer chunk;
  ByteBuffer converted;
  std::uint64_t line_number = lines_before;
  while (input.ReadChunk(chunk, kChunkBytes)) {
    LineSplitter lines(chunk.view());
    std::string_view CurrentLine;
    while (lines.Next(CurrentLine)) {
      ++line_number;
      progress.LineRead(CurrentLine.size());
      const RewriteStatus status = processor.ConvertLine(CurrentLine, converted, line_number);
      if (status != RewriteStatus::Done) {
        // The lines before go out: a filter's output stops right there.
        output.Write(converted.view());
        if (status == RewriteStatus::ZeroFeed) return {TextOutcome::ZeroFeed, line_number};
        throw OutOfRange(line_number, processor.failed_word());
      }
      converted.Append("\r\n");
      progress.LineWritten();
    }
    output.Write(converted.view());
    converted.Clear();
    chunk.Clear();
  }
  return {};
}

}  // namespace kivrel
