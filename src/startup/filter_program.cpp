#include "startup/filter_program.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "common/failure.h"
#include "settings/parameter_file.h"
#include "startup/convert_stream.h"
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

ExitStatus Filter(FilterPlatform& platform, std::unique_ptr<WritableFile> output) {
  Settings settings;
  NoDialog dialog(settings);
  LoadSettings(settings, {platform.files, platform.boxes, dialog,
                          PathInFolder(platform.program_folder, kParameterFileName)});
  if (platform.CommandText.empty()) {
    throw Failure(static_cast<int>(std::errc::invalid_argument), "no input file given (kivrel-filter PATH)");
  }
  if (!platform.files.IsOrdinaryFile(platform.CommandText)) {
    ReportInputMissing(platform.errors, platform.CommandText);
    return ExitStatus::InputMissing;
  }
  TextReader input(platform.files.OpenForReading(platform.CommandText));
  TextWriter writer(std::move(output));
  FilterProgress progress_view(platform.errors);
  ProgressTracker progress(platform.files.FileSize(platform.CommandText), progress_view);
  ToolpathNotices notices(settings);
  const TextEnd end = ConvertStream(input, writer, settings, progress, true, notices);
  writer.Close();
  input.Close();
  if (end.outcome == TextOutcome::ZeroFeed) {
    // What was written lacks its closing comment: no complete program.
    platform.boxes.Notify(kZeroFeedNotice);
    ReportZeroFeedLine(platform.errors, end.line);
    return ExitStatus::ZeroFeed;
  }
  progress_view.Close();
  std::string text;
  for (const std::string& notice : notices.Notices()) {
    platform.errors << "Kivrel: warning: " << notice << '\n';
    text += (text.empty() ? "" : "\n") + notice;
  }
  platform.errors << std::flush;
  if (!text.empty() && platform.notice_box) platform.notice_box(text);
  return ExitStatus::Done;
}

}  // namespace

ExitStatus RunFilter(FilterPlatform& platform, std::unique_ptr<WritableFile> output) {
  try {
    return Filter(platform, std::move(output));
  } catch (const Failure& failure) {
    platform.errors << "Kivrel: error " << failure.number() << ": " << failure.what() << '\n' << std::flush;
  } catch (const std::bad_alloc&) {
    platform.errors << "Kivrel: error " << static_cast<int>(std::errc::not_enough_memory) << ": out of memory\n"
                    << std::flush;
  }
  return ExitStatus::Failure;
}

}  // namespace kivrel
