// The line transform on arbitrary lines with settings from the input: it
// agrees with the plain rules, but for arcs cut into pieces; lines that pass
// keep every byte; a line with no comment comes back without a lower-case
// ASCII letter; a block-delete "/" stays where it was.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_settings.h"
#include "support/reference_transform.h"
#include "transform/scan/comment_leaders.h"
#include "transform/process_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kivrel::Settings settings = kivrel::fuzzing::TakeSettings(data, size);
  std::string input(reinterpret_cast<const char*>(data), size);
  // A line never holds its terminator.
  for (char& c : input) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  kivrel::LineProcessor processor(settings);
  std::string line = input;
  const kivrel::RewriteStatus status = processor.ProcessLine(line);
  const kivrel::testing::ReferenceLine expected = kivrel::testing::ReferenceProcessLine(input, settings);
  if (status != expected.status) std::abort();
  if (status != kivrel::RewriteStatus::Done) return 0;
  // An arc cut into pieces follows its image, which the plain rules do not
  // draw; the checks below hold for it all the same.
  if (!processor.arc_cut() && line != expected.line) std::abort();

  // A block-delete "/" stays in front; the words behind it follow the rules
  // of any other line.
  for (std::size_t slash = input.find_first_not_of(" \t");
       slash != std::string::npos && input[slash] == '/'; slash = input.find_first_not_of(" \t")) {
    if (line.compare(0, slash + 1, input, 0, slash + 1) != 0) std::abort();
    input.erase(0, slash + 1);
    line.erase(0, slash + 1);
  }
  std::string upper = input;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  // Lines that start with a leader and hold no word after it, O-word lines,
  // marked lines and lines that pass whole for a code keep every byte.
  const std::size_t first = input.find_first_not_of(" \t");
  const bool o_word = first != std::string::npos && upper[first] == 'O';
  const bool leader = !input.empty() && kivrel::CommentLeaders.find(input[0]) != std::string::npos;
  const bool kept = input.empty() || o_word || upper.find("M20ADDITION") != std::string::npos ||
                    kivrel::testing::ReferenceKeepsWholeLine(input);
  if (kept && line != input) std::abort();
  // Text that keeps its letters' case: comments and assignments that open
  // the line, comments the controller shows or logs, and remarks. Elsewhere
  // every letter comes back upper-cased.
  if (!kept && !leader && input.find_first_of("(;") == std::string::npos) {
    for (char c : line) {
      if (c >= 'a' && c <= 'z') std::abort();
    }
  }
  return 0;
}
