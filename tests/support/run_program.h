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

// True in the Windows build of the tests, whose programs run under wine.
bool OnWindows();

// Runs the program as a user that file permissions bind: root is not bound
// by them, so it runs as nobody through setpriv there. POSIX only.
ProgramRun RunBoundByPermissions(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& working_folder);

// Runs the program with files limited to `kib` KiB, so that writing beyond
// fails as on a full disk. POSIX only.
ProgramRun RunWithFileSizeLimit(const std::string& program, const std::vector<std::string>& arguments,
                                const std::string& working_folder, int kib);

// The same, started without waiting: several can run at once.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& working_folder, const std::vector<std::string>& extra_environment = {});
  // Windows: `command_tail` follows the program's quoted name verbatim.
  RunningProgram(const std::string& program, const std::string& command_tail, const std::string& working_folder);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  ProgramRun Wait();

 private:
  void Start(const std::string& program, const std::string& command_line, const std::string& working_folder,
             const std::vector<std::string>& extra_environment);

  long long process_ = -1;  // the child's process id, or its handle on Windows
  std::string capture_;     // the folder its standard output and error go to
};

}  // namespace kivrel::testing
