#include "e2e/program_folder.h"

namespace kivrel::testing {

const char* const kDefaultBlock =
    "(Kivrel Version 4.0.1)\r\n(YScale:1.0000000 )\r\n(XScale:1.0000000 )\r\n(ZScale:1.0000000 )\r\n"
    "(AScale:1.0000000 )\r\n(FeedScale:1.0000000 )\r\n(XYexchange:OFF )\r\n(FeedAdd:0.0000000 )\r\n"
    "(SpindleRPM:0. )\r\n";

ProgramFolder::ProgramFolder() : jobs_(folder_.path() / "jobs") {
  std::filesystem::copy_file(KIVREL_BINARY, folder_.path() / "kivrel");
  std::filesystem::copy_file(KIVREL_FILTER_BINARY, folder_.path() / "kivrel-filter");
  const std::filesystem::path module = std::filesystem::path(KIVREL_BINARY).parent_path() / "kivrel-windows.so";
  if (std::filesystem::exists(module)) std::filesystem::copy_file(module, folder_.path() / module.filename());
  std::filesystem::create_directory(jobs_);
}

ProgramRun ProgramFolder::Run(const std::vector<std::string>& arguments,
                              std::string working_folder,
                              const std::vector<std::string>& environment) const {
  if (working_folder.empty()) working_folder = jobs_.string();
  return RunProgramAt(Path("kivrel"), arguments, working_folder, environment);
}

void ProgramFolder::Settings(const std::vector<std::string>& lines) const {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  WriteFile(Path("kivrel.prm"), text);
}

}  // namespace kivrel::testing
