#include "startup/filter_program.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "common/failure.h"
#include "settings/parameter_file.h"
#include "startup/convert_stream.h"
#include "startup/notice_text.h"
#include "startup/run_conversion.h"

namespace kivrel {
namespace {

// The progress as "FILTER_PROGRESS=N" lines, N from 0 to 100, each percent
// once at most.
class FilterProgress : public ProgressView {
 public:
  explicit FilterProgress(std::ostream& errors) : errors_(errors) {}
  void Show() override {}
  void Repaint() override {}
  void ProcessEvents() override {}
  void SetFill(double fraction) override { Report(static_cast<int>(std::min(fraction, 1.0) * 100)); }
  void Close() override { Report(100); }
  bool Draws() const override { return false; }

 private:
  void Report(int percent) {
    if (percent <= reported_) return;
    reported_ = percent;
    errors_ << "FILTER_PROGRESS=" << percent << '\n' << std::flush;
  }

  std::ostream& errors_;
  int reported_ = -1;
};

// Loads the settings; false where the parameter file could not be read,
// after one line on `errors`. That file is left as it is, so every run
// refuses until it is mended or kivrel has replaced it: converting with the
// defaults would hand the controller a program the operator takes for
// converted with the file's values (a front end shows a filter's standard
// error only when it fails), and replacing the file would have the next run
// do just that.
bool LoadSettingsToConvertWith(FilterPlatform& platform, Settings& settings) {
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

ExitStatus Filter(FilterPlatform& platform, std::unique_ptr<WritableFile> output) {
  Settings settings;
  if (!LoadSettingsToConvertWith(platform, settings)) return ExitStatus::Failure;
  if (platform.CommandText.empty()) {
    throw Failure(std::errc::invalid_argument, "no input file given (kivrel-filter PATH)");
  }
  if (!platform.files.IsOrdinaryFile(platform.CommandText)) {
    ReportInputMissing(platform.errors, platform.CommandText);
    return ExitStatus::InputMissing;
  }
  TextReader input(platform.files.OpenForReading(platform.CommandText));
  TextWriter writer(std::move(output));
  FilterProgress progress_view(platform.errors);
  const std::uint64_t input_size = platform.files.FileSize(platform.CommandText);
  ProgressTracker progress(input_size, progress_view);
  ToolpathNotices notices(settings);
  const TextEnd end = ConvertStream(input, input_size, writer, settings, progress, true, notices);
  writer.Close();
  input.Close();
  if (end.outcome == TextOutcome::ZeroFeed) {
    // What was written lacks its closing comment: no complete program.
    platform.boxes.Notify(kZeroFeedNotice);
    ReportZeroFeedLine(platform.errors, end);
    return ExitStatus::ZeroFeed;
  }
  progress_view.Close();
  const std::vector<std::string> found = ConvertedProgramNotices(notices, settings);
  for (const std::string& notice : found) platform.errors << "Kivrel: warning: " << notice << '\n';
  platform.errors << std::flush;
  if (!found.empty() && platform.notice_box) platform.notice_box(NoticeBoxText(platform.CommandText, found));
  return ExitStatus::Done;
}

}  // namespace

ExitStatus RunFilter(FilterPlatform& platform, std::unique_ptr<WritableFile> output) {
  try {
    return Filter(platform, std::move(output));
  } catch (...) {
    platform.errors << "Kivrel: " << DescribeCaughtFailure() << '\n' << std::flush;
  }
  return ExitStatus::Failure;
}

}  // namespace kivrel
