#include "settings/parameter_file.h"

#include <cstdint>
#include <optional>

#include "common/failure.h"
#include "numbers/fixed_text.h"
#include "platform/replace_file.h"
#include "platform/text_reader.h"
#include "settings/strict_number.h"

namespace kivrel {
namespace {

constexpr const char* kNotFound = "Settings file not found. Creating one now.";
constexpr const char* kUnreadable = "The parameter file could not be read properly. Recreating...";
constexpr const char* kUnableToSave = "Unable to save. Try again.";
constexpr std::uint64_t kLargestParameterFile = 64 * 1024;

void AppendLine(std::string& text, float value, Pattern pattern) {
  AppendSingle(text, value, pattern);
  text += "\r\n";
}

void AppendLine(std::string& text, bool value) { text += value ? "True\r\n" : "False\r\n"; }

// What the nine lines that matter say.
struct ParameterFileContent {
  Settings settings;
  bool swap = false;  // line 9 asks for the X row on top
};

// Reads the nine lines that matter; nothing when the file is not whole.
std::optional<ParameterFileContent> ReadParameterFile(FileSystem& files, const std::string& path,
                                                      const Settings& current) {
  // A parameter file holds a few hundred bytes; a huge one is not read.
  if (files.FileSize(path) > kLargestParameterFile) return std::nullopt;
  TextReader reader(files.OpenForReading(path));
  std::string line;
  auto next = [&]() -> bool {
    if (reader.AtEndOfStream()) return false;
    reader.ReadLine(line);
    return true;
  };
  auto number = [&](float& target) -> bool {
    if (!next()) return false;
    std::optional<float> value = StrictNumber(line);
    if (!value) return false;
    target = *value;
    return true;
  };

  Settings read = current;
  for (float* target : {&read.YScale, &read.XScale, &read.ZScale, &read.AScale, &read.FeedScale}) {
    if (!number(*target)) return std::nullopt;
  }
  if (!next()) return std::nullopt;
  std::optional<bool> exchange = StrictWordTruth(line);
  if (!exchange) return std::nullopt;
  read.XYexchange = *exchange;
  if (!number(read.FeedAdd) || !number(read.SpindleRPM)) return std::nullopt;
  if (!next()) return std::nullopt;
  bool swap = false;
  if (line != "EOF") {
    std::optional<bool> truth = StrictTruth(line);
    if (!truth) return std::nullopt;
    swap = *truth;
  }
  reader.Close();
  return ParameterFileContent{read, swap};
}

void CreateWithDefaults(Settings& settings, const SettingsEnvironment& environment) {
  environment.boxes.Notify(kNotFound);
  AssignDefaults(settings);
  SaveSettings(settings, environment);
}

// Keeps the file at `path` as `kept`. It gets its second name first, so
// that `path` holds its old content until the new one replaces it: a power
// cut in between loses neither. Where the disk gives no file a second name,
// it is moved aside.
bool KeepAs(FileSystem& files, const std::string& path, const std::string& kept) {
  std::string second;
  try {
    files.LinkTemporaryBeside(path, kept, second);
  } catch (const Failure&) {
    try {
      files.Rename(path, kept);
      return true;
    } catch (const Failure&) {
      return false;
    }
  }
  try {
    files.Rename(second, kept);
    return true;
  } catch (const Failure&) {
    DiscardTemporary(files, second);
    return false;
  }
}

// The file that could not be read is kept as kivrel.prm.bad before the
// defaults replace it; where it cannot be kept (or is marked read-only) it
// is not replaced at all, and the run goes on with the defaults.
void RecreateWithDefaults(Settings& settings, const SettingsEnvironment& environment) {
  FileSystem& files = environment.files;
  const std::string kept = environment.path + ".bad";
  const bool moved = !files.IsReadOnly(environment.path) && KeepAs(files, environment.path, kept);
  environment.boxes.Notify(moved ? std::string(kUnreadable) + "\nThe old file was kept as " + kept : kUnreadable);
  AssignDefaults(settings);
  if (moved) {
    SaveSettings(settings, environment);
  } else {
    environment.boxes.Notify(kUnableToSave);
  }
}

}  // namespace

std::string ParameterFileText(const Settings& settings) {
  std::string text;
  AppendLine(text, settings.YScale, Pattern::TenDecimals);
  AppendLine(text, settings.XScale, Pattern::TenDecimals);
  AppendLine(text, settings.ZScale, Pattern::TenDecimals);
  AppendLine(text, settings.AScale, Pattern::TenDecimals);
  AppendLine(text, settings.FeedScale, Pattern::TenDecimals);
  AppendLine(text, settings.XYexchange);
  AppendLine(text, settings.FeedAdd, Pattern::TenDecimals);
  AppendLine(text, settings.SpindleRPM, Pattern::Whole);
  AppendLine(text, settings.XYdisplayswap);
  text += "EOF\r\n";
  return text;
}

ParameterFileFound LoadSettings(Settings& settings, const SettingsEnvironment& environment,
                                UnreadableFile unreadable) {
  if (!environment.files.Exists(environment.path)) {
    CreateWithDefaults(settings, environment);
    return ParameterFileFound::Missing;
  }
  std::optional<ParameterFileContent> read;
  try {
    read = ReadParameterFile(environment.files, environment.path, settings);
  } catch (const Failure&) {
    read.reset();
  }
  if (!read) {
    if (unreadable == UnreadableFile::Replace) RecreateWithDefaults(settings, environment);
    return ParameterFileFound::Unreadable;
  }
  settings = read->settings;
  if (read->swap) environment.dialog.SwapXYDisplayOrder();
  environment.dialog.ClearUnsavedMark();
  return ParameterFileFound::Readable;
}

bool SaveSettings(const Settings& settings, const SettingsEnvironment& environment) {
  // A parameter file the operator marked read-only is not replaced.
  if (environment.files.IsReadOnly(environment.path)) {
    environment.boxes.Notify(kUnableToSave);
    return false;
  }
  bool written = true;
  {
    // A file that cannot be created at all is the caller's failure; one that
    // cannot be written leaves the old parameter file as it was (its
    // temporary file gone before the operator hears of it).
    PendingReplacement replacement(environment.files, environment.path);
    try {
      replacement.Commit(ParameterFileText(settings));
    } catch (const Failure&) {
      written = false;
    }
  }
  if (!written) {
    environment.boxes.Notify(kUnableToSave);
    return false;
  }
  environment.dialog.ClearUnsavedMark();
  return true;
}

}  // namespace kivrel
