#pragma once

#include <string>

namespace kivrel {

// Runs one start with windows. Where the windows live in a module of their
// own (kivrel-gui beside the program), it is loaded only now, so that a
// start without a display never loads the window system. Returns false,
// having done nothing, when the module cannot be loaded.
bool RunWithGuiModule(int argc, char** argv, const char* program_folder, int& exit_status);

// Shows `text` in the program's message box with the windows (kivrel-filter's
// notices); returns false, having shown nothing, where they cannot be loaded.
bool ShowNoticesWithGuiModule(const char* program_folder, const std::string& text);

}  // namespace kivrel
