#include "startup/convert_stream.h"

#include <string>

#include "startup/comment_block.h"

namespace kivrel {
namespace {

// A line is empty when it starts with its terminator (or is not there).
bool NextLineIsEmpty(TextReader& input) {
  const int next = input.PeekByte();
  return next == '\r' || next == '\n';
}

}  // namespace

TextEnd ConvertStream(TextReader& input, std::uint64_t input_size, TextWriter& output, const Settings& settings,
                      ProgressTracker& progress, PercentLine percent_line, ToolpathNotices& notices,
                      const EngineOptions& engine) {
  // A byte-order mark stays the first bytes of the output; the lines are
  // read without it.
  if (input.TakeByteOrderMark()) output.Write("\xEF\xBB\xBF");
  std::uint64_t lines_before = 0;
  // Lines read ahead: empty ones, and a "%" line after them. Each passes
  // through unchanged and holds nothing the notices look for.
  std::string ahead;
  std::string line;
  auto take = [&] {
    input.ReadLine(line);
    progress.LineRead(line.size());
    ++lines_before;
    ahead += line;
    ahead += "\r\n";
  };
  if (percent_line == PercentLine::kFirst) {
    while (!input.AtEndOfStream() && NextLineIsEmpty(input)) take();
    if (input.PeekByte() == '%') {
      take();
      output.Write(ahead);
      ahead.clear();
    }
  }
  output.Write(SettingsCommentBlock(settings));
  output.Write(ahead);
  if (lines_before > 0) progress.LineWritten();
  const TextEnd end = ProcessText(input, input_size, output, notices.plan(), progress, &notices, lines_before, engine);
  if (end.outcome == TextOutcome::Finished) output.Write("(Finished Kivrel)");
  return end;
}

}  // namespace kivrel
