#include "e2e/program_folder.h"

namespace kivrel::testing {

ProgramFolder::ProgramFolder() : jobs_(folder_.path() / "jobs") {
  namespace fs = std::filesystem;
  const fs::path program = KIVREL_BINARY;
  const fs::path filter = KIVREL_FILTER_BINARY;
  fs::copy_file(program, folder_.path() / program.filename());
  fs::copy_file(filter, folder_.path() / filter.filename());
  program_ = Utf8(folder_.path() / program.filename());
  filter_ = Utf8(folder_.path() / filter.filename());
  const fs::path module = program.parent_path() / "kivrel-gui.so";  // Linux's Qt windows
  if (fs::exists(module)) fs::copy_file(module, folder_.path() / module.filename());
  fs::create_directory(jobs_);
}

ProgramRun ProgramFolder::Run(const std::vector<std::string>& arguments,
                              std::string working_folder,
                              const std::vector<std::string>& environment) const {
  if (working_folder.empty()) working_folder = Utf8(jobs_);
  return RunProgramAt(program_, arguments, working_folder, environment);
}

void ProgramFolder::Settings(const std::vector<std::string>& lines) const { WriteFile(Path("kivrel.prm"), PrmText(lines)); }

}  // namespace kivrel::testing
