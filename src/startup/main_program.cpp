#include "startup/main_program.h"

#include <optional>
#include <system_error>

#include "common/failure.h"
#include "startup/output_name.h"
#include "startup/pause.h"
#include "startup/result_file.h"
#include "startup/run_conversion.h"

namespace kivrel {

bool IsSetupMode(const std::string& command_text, FileSystem& files) {
  if (command_text.empty() || command_text == "SETUP") return true;
  return command_text.find("SETUP") != std::string::npos && !files.IsOrdinaryFile(command_text);
}

ExitStatus Main(Platform& platform) {
  const std::string result_path = PathInFolder(platform.program_folder, kResultFileName);
  // Whatever happens next, the host must not find an earlier start's result.
  RemoveEarlierResult(platform.files, result_path);

  Settings settings;
  const SettingsEnvironment environment{platform.files, platform.boxes, platform.ui.Dialog(settings),
                                        PathInFolder(platform.program_folder, kParameterFileName)};
  LoadSettings(settings, environment);

  if (IsSetupMode(platform.CommandText, platform.files)) {
    platform.ui.ShowSetupDialog(settings, environment);
    WriteResultFile(platform.files, result_path, std::nullopt, ExitStatus::Done, "");
    return ExitStatus::Done;
  }

  // The output name goes into the result file line by line; a line break in
  // the path would hand the host a different file name and status.
  if (platform.CommandText.find_first_of("\r\n") != std::string::npos) {
    throw Failure(std::errc::invalid_argument, "the input path contains a line break");
  }

  ProgressView& view = platform.ui.Progress();
  view.Show();
  view.Repaint();
  if (view.Draws()) Pause(platform.clock, view);
  view.Repaint();

  const std::string output_name = DeriveOutputName(platform.CommandText);
  // The name as the host will read it from the result file.
  const std::string output_line = platform.files.PathInFileText(output_name);
  if (!platform.files.IsOrdinaryFile(platform.CommandText)) {
    ReportInputMissing(platform.errors, platform.CommandText);
    WriteResultFile(platform.files, result_path, output_line, ExitStatus::InputMissing, "");
    return ExitStatus::InputMissing;
  }
  return RunConversion(platform, settings, output_name, output_line);
}

ExitStatus RunProgram(Platform& platform) {
  std::string report;
  try {
    return Main(platform);
  } catch (...) {
    // Whatever it was, the temporary files are gone by now.
    report = DescribeCaughtFailure();
  }
  platform.ui.ReportFailure(report);
  return ExitStatus::Failure;
}

}  // namespace kivrel
