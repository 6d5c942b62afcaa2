#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/replace_file.h"
#include "startup/exit_status.h"

namespace kivrel {

inline constexpr const char* kResultFileName = "prepre.res";

// The status digit the host reads is the start's ExitStatus; a start that
// fails (ExitStatus::Failure) writes no result file.

inline constexpr const char* kZeroFeedMessage = "FAILED DUE TO ZERO FEEDRATE";

// The result file's text: "kivrel.pre", "version:4", the output-name line
// (absent in the setup form), the status digit and the message line, each
// ended by CR LF.
std::string ResultFileText(const std::optional<std::string>& output_line, ExitStatus status,
                           const std::string& message);

// Removes the result file of an earlier start, so that the host never reads
// it for this one. Where it cannot be removed, it is emptied (a host reads
// no success from an empty file) and the failure thrown.
void RemoveEarlierResult(FileSystem& files, const std::string& path);

// The result file at `path`, written whole through a temporary file that is
// created at once (a folder that takes no file fails before anything else
// has changed), so the host never reads half of one. A result that is
// renamed into place but cannot be put on the disk is removed again, for
// the start then fails.
class PendingResult {
 public:
  PendingResult(FileSystem& files, std::string path);
  void Commit(const std::optional<std::string>& output_line, ExitStatus status, const std::string& message);

 private:
  FileSystem& files_;
  std::string path_;
  PendingReplacement replacement_;
};

// A PendingResult committed at once.
void WriteResultFile(FileSystem& files, const std::string& path, const std::optional<std::string>& output_line,
                     ExitStatus status, const std::string& message);

}  // namespace kivrel
