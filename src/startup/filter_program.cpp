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

// Keeps the notices of loading the settings until it is known whether the
// filter converts with them.
class HeldNotices : public MessageBoxes {
 public:
  explicit HeldNotices(MessageBoxes& boxes) : boxes_(boxes) {}
  void Notify(const std::string& text) override { held_.push_back(text); }
  bool Ask(const std::string& text) override { return boxes_.Ask(text); }
  void Pass() {
    for (const std::string& text : held_) boxes_.Notify(text);
    held_.clear();
  }

 private:
  MessageBoxes& boxes_;
  std::vector<std::string> held_;
};

// Loads the settings; false where the parameter file could not be read,
// after one line on `errors` instead of the usual notices. Converting with
// the defaults then would hand the controller a program the operator takes
// for converted: a front end shows a filter's standard error only when it
// fails.
bool LoadSettingsToConvertWith(FilterPlatform& platform, Settings& settings) {
  NoDialog dialog(settings);
  const std::string path = PathInFolder(platform.program_folder, kParameterFileName);
  HeldNotices notices(platform.boxes);
  ParameterFileFound found;
  try {
    found = LoadSettings(settings, {platform.files, notices, dialog, path});
  } catch (...) {
    notices.Pass();
    throw;
  }
  switch (found) {
    case ParameterFileFound::Readable:
    case ParameterFileFound::Missing:
      notices.Pass();
      return true;
    case ParameterFileFound::KeptAsBad:
      platform.errors << "Kivrel: the parameter file " << path << " could not be read; the old file was kept as "
                      << path << ".bad; nothing was converted\n";
      break;
    case ParameterFileFound::LeftAsItIs:
      platform.errors << "Kivrel: the parameter file " << path
                      << " could not be read and could not be replaced, so it was left as it is; nothing was "
                         "converted\n";
      break;
  }
  platform.errors << std::flush;
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
