#pragma once

#include <string>

#include "startup/exit_status.h"
#include "startup/platform.h"

namespace kivrel {

// Setup mode: an empty command text, or one holding "SETUP" in capitals.
bool IsSetupMode(const std::string& command_text);

// One start of the program: removes the old result file, loads the
// settings, then either runs the settings dialog or converts the file named
// by the command text, and writes the result file. Failures it does not
// handle itself are thrown as Failure.
ExitStatus Main(Platform& platform);

// Main, with every failure reported to the operator ("error <number>:
// <description>") and turned into ExitStatus::Failure.
ExitStatus RunProgram(Platform& platform);

}  // namespace kivrel
