// A whole start on arbitrary bytes as the input program: the output either
// is complete (comment block first, after a byte-order mark the input starts
// with, and "(Finished Kivrel)" last) or does not exist, the result file tells the truth, and no temporary file is left.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/disk_file_system.h"
#include "fuzz/fuzz_settings.h"
#include "startup/comment_block.h"
#include "startup/main_program.h"
#include "support/fake_platform.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kivrel::Settings settings = kivrel::fuzzing::TakeSettings(data, size);
  kivrel::testing::TempFolder folder;
  kivrel::testing::WriteFile(folder / "kivrel.prm", kivrel::ParameterFileText(settings));
  const std::string input(reinterpret_cast<const char*>(data), size);
  kivrel::testing::WriteFile(folder / "part.nc", input);

  kivrel::DiskFileSystem files;
  kivrel::testing::RecordingMessageBoxes boxes;
  kivrel::testing::FakeUserInterface ui;
  kivrel::testing::ScriptedClock clock({0.0f}, 1.0f);
  kivrel::Platform platform{files, boxes, clock, ui, ui.errors, folder.path().string(), folder / "part.nc"};
  const kivrel::ExitStatus status = kivrel::RunProgram(platform);

  const std::string output = folder / "part.pr1";
  const bool has_output = std::filesystem::exists(output);
  const bool has_result = std::filesystem::exists(folder / "prepre.res");
  const std::string listing = kivrel::testing::ListFolder(folder.path());
  switch (status) {
    case kivrel::ExitStatus::Done: {
      const std::string text = kivrel::testing::ReadFile(output);
      const std::string mark = "\xEF\xBB\xBF";
      const std::string block = (input.compare(0, mark.size(), mark) == 0 ? mark : "") +
                                kivrel::SettingsCommentBlock(settings);
      const std::string end = "(Finished Kivrel)";
      if (text.compare(0, block.size(), block) != 0 || text.size() < block.size() + end.size() ||
          text.compare(text.size() - end.size(), end.size(), end) != 0) {
        std::abort();
      }
      if (kivrel::testing::ReadFile(folder / "prepre.res") !=
          "kivrel.pre\r\nversion:4\r\n" + output + "\r\n0\r\n\r\n") {
        std::abort();
      }
      if (listing != "kivrel.prm part.nc part.pr1 prepre.res ") std::abort();
      break;
    }
    case kivrel::ExitStatus::ZeroFeed:
      if (has_output || kivrel::testing::ReadFile(folder / "prepre.res") !=
                            "kivrel.pre\r\nversion:4\r\n\r\n2\r\nFAILED DUE TO ZERO FEEDRATE\r\n") {
        std::abort();
      }
      if (listing != "kivrel.prm part.nc prepre.res ") std::abort();
      break;
    case kivrel::ExitStatus::Failure:  // a number beyond the 32-bit range
      if (has_output || has_result || ui.failures.size() != 1) std::abort();
      if (listing != "kivrel.prm part.nc ") std::abort();
      break;
    default:
      std::abort();
  }
  return 0;
}
