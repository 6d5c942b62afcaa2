#include "startup/filter_program.h"

#include <system_error>

#include "common/failure.h"
#include "settings/parameter_file.h"
#include "startup/convert_program.h"
#include "startup/run_conversion.h"

namespace kivrel {
namespace {

// Loads the settings; false where the parameter file could not be read,
// after one line on `errors`. That file is left as it is, so every run
// refuses until it is mended or kivrel has replaced it: converting with the
// defaults would hand the controller a program the operator takes for
// converted with the file's values (a front end shows a filter's standard
// error only when it fails), and replacing the file would have the next run
// do just that.
bool LoadSettingsToConvertWith(Platform& platform, Settings& settings) {
  NoDialog dialog(settings);
  const std::string path = PathInFolder(platform.program_folder, kParameterFileName);
  const ParameterFileFound found =
      LoadSettings(settings, {platform.files, platform.boxes, dialog, path}, UnreadableFile::LeaveAsItIs);
  if (found != ParameterFileFound::Unreadable) return true;
  platform.errors << "Kivrel: the parameter file " << path
                  << " could not be read; nothing was converted; mend it or run kivrel SETUP\n"
                  << std::flush;
  return false;
}

ExitStatus Filter(Platform& platform, std::unique_ptr<WritableFile> output) {
  Settings settings;
  if (!LoadSettingsToConvertWith(platform, settings)) return ExitStatus::Failure;
  if (platform.CommandText.empty()) {
    throw Failure(std::errc::invalid_argument, "no input file given (kivrel-filter PATH)");
  }
  if (!platform.files.IsOrdinaryFile(platform.CommandText)) {
    ReportInputMissing(platform.errors, platform.CommandText);
    return ExitStatus::InputMissing;
  }
  TextWriter writer(std::move(output));
  const ConvertedProgram converted = ConvertProgram(platform, settings, writer, PercentLine::kFirst);
  writer.Close();
  // After a zero feed what was written lacks its closing comment: no
  // complete program.
  if (converted.end.outcome == TextOutcome::ZeroFeed) return ExitStatus::ZeroFeed;
  platform.ui.Progress().Close();
  platform.ui.ReportNotices(platform.CommandText, converted.notices);
  return ExitStatus::Done;
}

}  // namespace

ExitStatus RunFilter(Platform& platform, std::unique_ptr<WritableFile> output) {
  std::string report;
  try {
    return Filter(platform, std::move(output));
  } catch (...) {
    report = DescribeCaughtFailure();
  }
  platform.ui.ReportFailure(report);
  return ExitStatus::Failure;
}

}  // namespace kivrel
