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
// with standard input closed and no display in its environment, apart from
// the `extra_environment` entries ("NAME=value") given.
ProgramRun RunProgramAt(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_folder,
                        const std::vector<std::string>& extra_environment = {});

// The same, started without waiting: several can run at once.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& working_folder, const std::vector<std::string>& extra_environment = {});
  ~RunningProgram();
  ProgramRun Wait();

 private:
  int pid_ = -1;
  std::string capture_;
};

}  // namespace kivrel::testing
