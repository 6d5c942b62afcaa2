#include "startup/run_conversion.h"

#include <memory>
#include <system_error>

#include "common/failure.h"
#include "common/replace_file.h"
#include "common/text_reader.h"
#include "common/text_writer.h"
#include "startup/convert_stream.h"
#include "startup/notice_text.h"
#include "startup/result_file.h"
#include "transform/process_text.h"

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
    throw FileFailure(std::make_error_code(std::errc::permission_denied), "will not replace the read-only file",
                      output_name);
  }
  std::string temporary;
  std::unique_ptr<WritableFile> file = files.CreateTemporaryBeside(output_name, temporary);
  ToolpathNotices notices(settings);
  TextEnd end;
  std::unique_ptr<PendingReplacement> result;
  try {
    TextWriter OutputStream(std::move(file));
    TextReader InputStream(files.OpenForReading(platform.CommandText));
    ProgressTracker progress(files.FileSize(platform.CommandText), platform.ui.Progress());
    end = ConvertStream(InputStream, OutputStream, settings, progress, false, notices);
    if (end.outcome == TextOutcome::Finished) {
      platform.ui.Progress().Close();
      InputStream.Close();
      OutputStream.Close();
      // The result file's folder must take a file before the earlier output
      // is given up.
      result = std::make_unique<PendingReplacement>(files, result_path);
      files.Rename(temporary, output_name);
    } else {
      platform.boxes.Notify(kZeroFeedNotice);
      ReportZeroFeedLine(platform.errors, end);
      InputStream.Close();
    }
  } catch (...) {
    DiscardTemporary(files, temporary);
    throw;
  }
  if (end.outcome == TextOutcome::ZeroFeed) {
    DiscardTemporary(files, temporary);
    WriteResultFile(files, result_path, std::string(), ResultStatus::ZeroFeed, kZeroFeedMessage);
    return ExitStatus::ZeroFeed;
  }
  const std::vector<std::string> found = ConvertedProgramNotices(notices, settings);
  if (!found.empty()) platform.ui.ReportNotices(platform.CommandText, found);
  result->Commit(ResultFileText(output_line, ResultStatus::Done, ""));
  return ExitStatus::Done;
}

}  // namespace kivrel
