#include "startup/run_conversion.h"

#include <memory>

#include "common/replace_file.h"
#include "common/text_reader.h"
#include "common/text_writer.h"
#include "startup/convert_stream.h"
#include "startup/result_file.h"
#include "transform/process_text.h"

namespace kivrel {

ExitStatus RunConversion(Platform& platform, const Settings& settings,
                         const std::string& output_name) {
  FileSystem& files = platform.files;
  const std::string result_path = PathInFolder(platform.program_folder, kResultFileName);
  std::string temporary;
  std::unique_ptr<WritableFile> file = files.CreateTemporaryBeside(output_name, temporary);
  TextOutcome outcome = TextOutcome::Finished;
  ToolpathNotices notices(settings);
  try {
    TextWriter OutputStream(std::move(file));
    TextReader InputStream(files.OpenForReading(platform.CommandText));
    ProgressTracker progress(files.FileSize(platform.CommandText), platform.ui.Progress());
    outcome = ConvertStream(InputStream, OutputStream, settings, progress, false, notices);
    if (outcome == TextOutcome::Finished) {
      platform.ui.Progress().Close();
      InputStream.Close();
      OutputStream.Close();
      files.Rename(temporary, output_name);
    } else {
      platform.boxes.Notify(kZeroFeedNotice);
      InputStream.Close();
    }
  } catch (...) {
    DiscardTemporary(files, temporary);
    throw;
  }
  if (outcome == TextOutcome::ZeroFeed) {
    DiscardTemporary(files, temporary);
    WriteResultFile(files, result_path, std::string(), ResultStatus::ZeroFeed, kZeroFeedMessage);
    return ExitStatus::ZeroFeed;
  }
  const std::vector<std::string> found = notices.Notices();
  if (!found.empty()) platform.ui.ReportNotices(found);
  WriteResultFile(files, result_path, output_name, ResultStatus::Done, "");
  return ExitStatus::Done;
}

}  // namespace kivrel
