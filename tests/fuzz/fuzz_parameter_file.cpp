// The parameter-file reader on arbitrary bytes yields either the file's
// values or the defaults (and then rewrites the file with them), never a mix.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/disk_file_system.h"
#include "settings/parameter_file.h"
#include "settings/strict_number.h"
#include "support/fake_platform.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kivrel::testing::TempFolder folder;
  const std::string path = folder / "kivrel.prm";
  const std::string content(reinterpret_cast<const char*>(data), size);
  kivrel::testing::WriteFile(path, content);

  kivrel::DiskFileSystem files;
  kivrel::testing::RecordingMessageBoxes boxes;
  kivrel::Settings settings;
  kivrel::NoDialog dialog(settings);
  kivrel::LoadSettings(settings, {files, boxes, dialog, path});

  kivrel::Settings defaults;
  kivrel::AssignDefaults(defaults);
  if (!boxes.notices.empty()) {
    if (boxes.notices.size() != 1 || !(settings == defaults)) std::abort();
    if (kivrel::testing::ReadFile(path) != kivrel::ParameterFileText(defaults)) std::abort();
    return 0;
  }
  // Read without a message: every value is its own line's.
  const std::vector<std::string> lines = Lines(content);
  if (lines.size() < 9) std::abort();
  const float* values[] = {&settings.YScale, &settings.XScale, &settings.ZScale, &settings.AScale,
                           &settings.FeedScale};
  for (int i = 0; i < 5; ++i) {
    const auto number = kivrel::StrictNumber(lines[static_cast<std::size_t>(i)]);
    if (!number || *number != *values[i]) std::abort();
  }
  if (kivrel::StrictNumber(lines[6]) != settings.FeedAdd || kivrel::StrictNumber(lines[7]) != settings.SpindleRPM) {
    std::abort();
  }
  // Saved and read back, the settings come without a message, and the file
  // settles: values keep 7 significant digits, and a value whose 7-digit
  // text is not the one its float is nearest to (near 1e28, say) moves by
  // one unit in the 7th digit once, never again.
  std::string saved;
  for (int round = 0; round < 2; ++round) {
    kivrel::SaveSettings(settings, {files, boxes, dialog, path});
    saved = kivrel::testing::ReadFile(path);
    settings = kivrel::Settings{};
    kivrel::LoadSettings(settings, {files, boxes, dialog, path});
    if (!boxes.notices.empty()) std::abort();
  }
  if (kivrel::ParameterFileText(settings) != saved) std::abort();
  return 0;
}
