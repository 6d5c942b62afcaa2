#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "settings/dialog_hooks.h"
#include "settings/settings.h"

namespace kivrel {

inline constexpr const char* kParameterFileName = "kivrel.prm";

// Everything loading and saving the parameter file works with.
struct SettingsEnvironment {
  FileSystem& files;
  MessageBoxes& boxes;
  DialogHooks& dialog;
  std::string path;  // the parameter file in the program's folder
};

// What LoadSettings found at the parameter file's path.
enum class ParameterFileFound {
  Readable,    // the settings are the file's
  Missing,     // the defaults, written to a new file
  Unreadable,  // what became of it is as the caller's UnreadableFile asked
};

// What LoadSettings does with a parameter file it cannot read.
enum class UnreadableFile {
  // Tells the operator, keeps it as kivrel.prm.bad and writes the defaults
  // in its place; one that cannot be kept (or is marked read-only) stays as
  // it is, the operator is told so too, and the defaults hold all the same.
  Replace,
  // Leaves it exactly as it is and the settings as they were, without a
  // word to the operator: the caller says what happens instead.
  LeaveAsItIs,
};

// Fills `settings` from the parameter file, or assigns the defaults and
// writes a new file when it is missing (after telling the operator). A file
// that cannot be read is dealt with as `unreadable` says. Returns which it
// was; where the defaults could not be written the operator has been told so
// too.
ParameterFileFound LoadSettings(Settings& settings, const SettingsEnvironment& environment,
                                UnreadableFile unreadable = UnreadableFile::Replace);

// Replaces the parameter file by the whole record, through a temporary file,
// so that the old file stays whole when writing fails. Returns false after
// "Unable to save. Try again." (also for a file marked read-only); a file
// that cannot be created at all throws.
bool SaveSettings(const Settings& settings, const SettingsEnvironment& environment);

// The ten lines of the parameter file for `settings`, each ended by CR LF.
std::string ParameterFileText(const Settings& settings);

}  // namespace kivrel
