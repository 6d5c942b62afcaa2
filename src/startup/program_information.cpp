#include "startup/program_information.h"

#include "common/version.h"

namespace kivrel {

std::optional<std::string> InformationAsked(const std::string& command_text, FileSystem& files,
                                            std::string_view program) {
  if ((command_text != "--help" && command_text != "--version") || files.Exists(command_text)) return std::nullopt;
  if (command_text == "--version") return "Kivrel " + VersionText() + "\n";
  const std::string name(program);
  if (name == "kivrel-filter") {
    return "Usage: kivrel-filter PATH\n"
           "Writes the part program at PATH, converted with the settings in kivrel.prm beside the\n"
           "program, to standard output; progress and notices go to standard error.\n"
           "Exit status: 0 done, 1 no input file, 2 a feed word came out as 0, 3 any other failure.\n"
           "       kivrel-filter --help | --version\n";
  }
  return "Usage: kivrel PATH\n"
         "Converts the part program at PATH with the settings in kivrel.prm beside the program, into\n"
         "PATH with the extension .pr1 (.pr2 from a .pr1, and so on), and reports the outcome in\n"
         "prepre.res beside the program.\n"
         "       kivrel SETUP   (or no argument) shows the settings dialog\n"
         "       kivrel --help | --version\n"
         "Exit status: 0 done, 1 no input file, 2 a feed word came out as 0, 3 any other failure.\n";
}

}  // namespace kivrel
