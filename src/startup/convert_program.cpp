#include "startup/convert_program.h"

#include "platform/text_reader.h"
#include "startup/notice_text.h"
#include "startup/run_conversion.h"
#include "transform/notices/toolpath_notices.h"

namespace kivrel {

ConvertedProgram ConvertProgram(Platform& platform, const Settings& settings, TextWriter& output,
                                PercentLine percent_line) {
  TextReader input(platform.files.OpenForReading(platform.CommandText));
  const std::uint64_t input_size = platform.files.FileSize(platform.CommandText);
  ProgressTracker progress(input_size, platform.ui.Progress());
  // What the settings make of each word, worked out once for the rewrite
  // and the notices alike.
  ToolpathNotices notices{ConversionPlan(settings)};
  EngineOptions engine;
  // One thread converts with the reader and writer; more convert chunks
  // while this one reads and writes.
  engine.workers = platform.threads > 1 ? platform.threads : 0;
  ConvertedProgram converted{
      ConvertStream(input, input_size, output, settings, progress, percent_line, notices, engine), {}};
  input.Close();
  if (converted.end.outcome == TextOutcome::ZeroFeed) {
    platform.boxes.Notify(kZeroFeedNotice);
    ReportZeroFeedLine(platform.errors, converted.end);
    return converted;
  }
  converted.notices = ConvertedProgramNotices(notices, settings);
  return converted;
}

}  // namespace kivrel
