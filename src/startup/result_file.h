#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace kivrel {

inline constexpr const char* kResultFileName = "prepre.res";

// The status digit the host reads.
enum class ResultStatus { Done = 0, InputMissing = 1, ZeroFeed = 2 };

inline constexpr const char* kZeroFeedMessage = "FAILED DUE TO ZERO FEEDRATE";

// The result file's text: "kivrel.pre", "version:4", the output-name line
// (absent in the setup form), the status digit and the message line, each
// ended by CR LF.
std::string ResultFileText(const std::optional<std::string>& output_line, ResultStatus status,
                           const std::string& message);

// Writes the result file whole at `path`, through a temporary file, so the
// host never reads half of one.
void WriteResultFile(FileSystem& files, const std::string& path,
                     const std::optional<std::string>& output_line, ResultStatus status,
                     const std::string& message);

}  // namespace kivrel
