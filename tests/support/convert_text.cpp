#include "support/convert_text.h"

#include "platform/disk_file_system.h"
#include "support/temp_folder.h"

namespace kivrel::testing {

ConvertedText ConvertText(const std::string& input, ProgressView& view, const Settings* settings) {
  TempFolder folder;
  WriteFile(folder / "in", input);
  DiskFileSystem files;
  Settings chosen;
  AssignDefaults(chosen);
  if (settings != nullptr) chosen = *settings;
  TextReader reader(files.OpenForReading(folder / "in"));
  std::string temporary;
  TextWriter writer(files.CreateTemporaryBeside(folder / "out", temporary));
  const std::uint64_t input_size = files.FileSize(folder / "in");
  ProgressTracker progress(input_size, view);
  ConvertedText converted{ProcessText(reader, input_size, writer, ConversionPlan(chosen), progress), ""};
  writer.Close();
  reader.Close();
  converted.output = ReadFile(temporary);
  return converted;
}

}  // namespace kivrel::testing
