#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace kivrel::testing {

// A copy of the real program in a folder of its own, so that its parameter
// and result files are the test's, with a "jobs" folder for programs.
class ProgramFolder {
 public:
  ProgramFolder();

  std::string Path(const std::string& name) const { return folder_ / name; }
  std::string Job(const std::string& name) const { return Utf8(jobs_ / PathOf(name)); }
  // The program's copy in the folder (kivrel, or kivrel.exe on Windows).
  const std::string& Program() const { return program_; }
  const std::filesystem::path& jobs() const { return jobs_; }
  const std::filesystem::path& path() const { return folder_.path(); }

  // Runs the program with the arguments given, in `working_folder` (the
  // jobs folder when empty).
  ProgramRun Run(const std::vector<std::string>& arguments, std::string working_folder = "",
                 const std::vector<std::string>& environment = {}) const;

  // Runs kivrel-filter from the same folder.
  ProgramRun Filter(const std::vector<std::string>& arguments) const {
    return RunProgramAt(filter_, arguments, Utf8(jobs_));
  }

  // Starts the program without waiting for it.
  std::unique_ptr<RunningProgram> Start(const std::vector<std::string>& arguments) const {
    return std::make_unique<RunningProgram>(program_, arguments, Utf8(jobs_));
  }

  std::string Result() const { return ReadFile(Path("prepre.res")); }
  bool HasResult() const { return std::filesystem::exists(Path("prepre.res")); }

  // Writes the parameter file from nine lines.
  void Settings(const std::vector<std::string>& lines) const;

 private:
  TempFolder folder_;
  std::filesystem::path jobs_;
  std::string program_;
  std::string filter_;
};

}  // namespace kivrel::testing
