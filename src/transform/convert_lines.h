#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "common/byte_buffer.h"
#include "common/line_ends.h"
#include "transform/process_line.h"

namespace kivrel {

// What ConvertLines did: the lines converted, their lengths without their
// line ends, and the status of the line that stopped it (Done when none).
struct LinesConverted {
  std::uint64_t lines = 0;
  std::uint64_t output_lines = 0;  // the lines written: more where an arc was cut into pieces
  std::uint64_t characters = 0;
  RewriteStatus status = RewriteStatus::Done;
};

// The one loop of a conversion, on the calling thread and on the workers
// alike: splits `text` (whole lines, the bytes after it padded as
// ConvertLine needs) at its line ends, converts each line into `out` with
// CR LF after it, up to the first line that fails. The notices hear each
// line by its number in the output, the first `first_number`.
// `before(length)` hears each line before it is converted, `after(line,
// converted)` each one converted (the line as read, a view into `text`, and
// the count so far, it included).
template <typename Before, typename After>
LinesConverted ConvertLines(LineProcessor& processor, std::string_view text, ByteBuffer& out,
                            std::uint64_t first_number, Before&& before, After&& after) {
  LinesConverted converted;
  LineSplitter lines(text);
  std::string_view line;
  while (lines.Next(line)) {
    before(line.size());
    converted.status = processor.ConvertLine(line, out, first_number + converted.output_lines);
    if (converted.status != RewriteStatus::Done) break;
    out.Append("\r\n");
    ++converted.lines;
    converted.output_lines += 1 + processor.extra_lines();
    converted.characters += line.size();
    after(line, std::as_const(converted));
  }
  return converted;
}

}  // namespace kivrel
