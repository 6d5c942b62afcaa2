#pragma once

#include <string>
#include <vector>

namespace kivrel::testing {

struct ProgramRun {
  int status = -1;
  std::string output;  // standard output
  std::string errors;  // standard error
};

// Runs `program` with `arguments` (no shell in between) in `working_folder`,
// with no display in its environment and standard input closed.
ProgramRun RunProgramAt(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_folder);

}  // namespace kivrel::testing
