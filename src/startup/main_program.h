#pragma once

#include <string>

#include "platform/file_system.h"
#include "startup/exit_status.h"
#include "startup/platform.h"

namespace kivrel {

// Setup mode: an empty command text, one that is exactly "SETUP", or one
// holding "SETUP" in capitals that names no existing ordinary file (so a
// program called BRACKET_SETUP_2.nc is converted).
bool IsSetupMode(const std::string& command_text, FileSystem& files);

// One start of the program: removes the old result file, loads the
// settings, then either runs the settings dialog or converts the file named
// by the command text, and writes the result file. Failures it does not
// handle itself are thrown.
ExitStatus Main(Platform& platform);

// Main, with every failure reported to the operator ("error <number>:
// <description>") and turned into ExitStatus::Failure.
ExitStatus RunProgram(Platform& platform);

}  // namespace kivrel
