#include "startup/run_conversion.h"

#include <optional>
#include <system_error>

#include "common/failure.h"
#include "platform/replace_file.h"
#include "startup/convert_program.h"
#include "startup/result_file.h"

namespace kivrel {

void ReportInputMissing(std::ostream& errors, const std::string& path) {
  errors << "Kivrel: input file not found: " << path << '\n' << std::flush;
}

void ReportZeroFeedLine(std::ostream& errors, const TextEnd& end) {
  errors << "Kivrel: the feed word of line " << end.line
         << (end.zero_in_program ? " is 0 in the program itself\n" : " comes out as 0\n") << std::flush;
}

ExitStatus RunConversion(Platform& platform, const Settings& settings, const std::string& output_name,
                         const std::string& output_line) {
  FileSystem& files = platform.files;
  const std::string result_path = PathInFolder(platform.program_folder, kResultFileName);
  // A file the operator marked read-only is kept, not replaced.
  if (files.IsReadOnly(output_name)) {
    throw FileFailure(std::errc::permission_denied, "will not replace the read-only file", output_name);
  }
  // Removed again, on every way out, unless it replaced the output.
  std::optional<PendingReplacement> output(std::in_place, files, output_name);
  const ConvertedProgram converted = ConvertProgram(platform, settings, output->writer(), PercentLine::kInPlace);
  if (converted.end.outcome == TextOutcome::ZeroFeed) {
    output.reset();
    WriteResultFile(files, result_path, std::string(), ExitStatus::ZeroFeed, kZeroFeedMessage);
    return ExitStatus::ZeroFeed;
  }
  // Put on the disk while the progress window is still up: a large program
  // takes a while.
  output->Finish();
  platform.ui.Progress().Close();
  // The result file's folder must take a file before the earlier output is
  // given up.
  PendingResult result(files, result_path);
  output->Install();
  if (!converted.notices.empty()) platform.ui.ReportNotices(platform.CommandText, converted.notices);
  result.Commit(output_line, ExitStatus::Done, "");
  return ExitStatus::Done;
}

}  // namespace kivrel
