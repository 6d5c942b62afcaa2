// Every file operation of a start made to fail in turn. After each: the
// start ends with status 3 and a report naming the file (or, for the
// parameter file, goes on as the settings rules say); an earlier output is
// unchanged unless a whole new one replaced it; no temporary file is left;
// "prepre.res" is absent or true; "kivrel.prm" holds its old or its whole
// new content.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/disk_file_system.h"
#include "settings/parameter_file.h"
#include "startup/main_program.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::FileOp;
using testing::ReadFile;
using testing::WriteFile;

const char* const kFiles[] = {"part.nc", "part.pr1", "prepre.res", "kivrel.prm"};

std::string FileOf(const std::string& path) {
  for (const char* name : kFiles) {
    if (path.find(name) != std::string::npos) return name;
  }
  return "?";
}

const char* OpName(FileOp op) {
  switch (op) {
    case FileOp::OpenForReading: return "open";
    case FileOp::Read: return "read";
    case FileOp::CreateTemporary: return "create";
    case FileOp::Write: return "write";
    case FileOp::CloseWritten: return "close";
    case FileOp::Rename: return "rename";
    case FileOp::Remove: return "remove";
  }
  return "?";
}

enum class Scenario { Conversion, ConversionWithoutParameterFile, Setup };

struct Start {
  ExitStatus status;
  std::vector<std::string> notices;
  std::vector<std::string> failures;
  std::vector<std::pair<FileOp, std::string>> log;
};

class FaultInjection : public ::testing::Test {
 protected:
  static constexpr const char* kEarlierOutput = "earlier output\r\n";
  static constexpr const char* kEarlierResult = "kivrel.pre\r\nversion:4\r\n/old/part.pr1\r\n0\r\n\r\n";
  const std::string kOldPrm = "2\r\n2\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n";
  const std::string kDefaultPrm = [] {
    Settings defaults;
    AssignDefaults(defaults);
    return ParameterFileText(defaults);
  }();

  // A fresh program folder and job for each start.
  Start Run(Scenario scenario, FileOp op, const std::string& file, int occurrence) {
    folder = std::make_unique<testing::TempFolder>();
    WriteFile(*folder / "part.nc", "G1 X1 F100\r\nG1 X2\r\n");
    WriteFile(*folder / "part.pr1", kEarlierOutput);
    WriteFile(*folder / "prepre.res", kEarlierResult);
    if (scenario != Scenario::ConversionWithoutParameterFile) WriteFile(*folder / "kivrel.prm", kOldPrm);
    DiskFileSystem disk;
    testing::FaultyFileSystem faulty(disk);
    if (occurrence > 0) faulty.FailOn(op, file, occurrence);
    testing::RecordingMessageBoxes boxes;
    testing::FakeUserInterface ui;
    testing::ScriptedClock clock({0.0f}, 1.0f);
    Platform platform{faulty, boxes, clock, ui, ui.errors, folder->path().string(),
                      scenario == Scenario::Setup ? "SETUP" : *folder / "part.nc"};
    Start start{RunProgram(platform), boxes.notices, ui.failures, faulty.log()};
    return start;
  }

  std::unique_ptr<testing::TempFolder> folder;
};

TEST_F(FaultInjection, EveryFileOperationOfAStartFailsInTurn) {
  int injected = 0;
  for (Scenario scenario : {Scenario::Conversion, Scenario::ConversionWithoutParameterFile, Scenario::Setup}) {
    // The operations of an undisturbed start, counted per file.
    const Start clean = Run(scenario, FileOp::Read, "", 0);
    ASSERT_EQ(clean.status, ExitStatus::Done);
    const std::string new_output = ReadFile(*folder / "part.pr1");
    const std::string new_prm = ReadFile(*folder / "kivrel.prm");
    std::map<std::pair<FileOp, std::string>, int> occurrences;
    std::vector<std::tuple<FileOp, std::string, int>> faults;
    for (const auto& [op, path] : clean.log) {
      const std::string file = FileOf(path);
      faults.emplace_back(op, file, ++occurrences[{op, file}]);
    }
    ASSERT_GE(faults.size(), 5u);

    for (const auto& [op, file, occurrence] : faults) {
      SCOPED_TRACE(std::string(OpName(op)) + " #" + std::to_string(occurrence) + " of " + file +
                   (scenario == Scenario::Setup ? " (setup)" : ""));
      const Start start = Run(scenario, op, file, occurrence);
      ++injected;
      const std::string listing = testing::ListFolder(folder->path());
      EXPECT_EQ(listing.find(".tmp"), std::string::npos) << "temporary file left: " << listing;

      const bool settings_file = file == "kivrel.prm";
      const bool reading_settings = settings_file && (op == FileOp::OpenForReading || op == FileOp::Read);

      // The parameter file: its old content or a whole new one (the
      // defaults, when it could not be read).
      const std::string prm = std::filesystem::exists(*folder / "kivrel.prm") ? ReadFile(*folder / "kivrel.prm") : "";
      EXPECT_TRUE(prm == kOldPrm || prm == new_prm || (reading_settings && prm == kDefaultPrm) ||
                  (prm.empty() && scenario == Scenario::ConversionWithoutParameterFile))
          << prm;
      const bool writing_settings = settings_file && op != FileOp::CreateTemporary && !reading_settings;
      if (reading_settings || writing_settings) {
        // Handled as the settings rules say: a message, and the start goes on.
        EXPECT_EQ(start.status, ExitStatus::Done);
        EXPECT_FALSE(start.notices.empty());
      } else {
        EXPECT_EQ(start.status, ExitStatus::Failure);
        ASSERT_EQ(start.failures.size(), 1u);
        EXPECT_NE(start.failures[0].find(file), std::string::npos) << start.failures[0];
      }

      // The output: as before, or a whole new one once it had replaced it.
      const std::string output = ReadFile(*folder / "part.pr1");
      const bool whole = output.rfind("(Kivrel Version 4.0.1)\r\n", 0) == 0 &&
                         output.size() > 17 && output.compare(output.size() - 17, 17, "(Finished Kivrel)") == 0;
      EXPECT_TRUE(output == kEarlierOutput || (whole && scenario != Scenario::Setup)) << output;
      if (!reading_settings && output != kEarlierOutput) {
        EXPECT_EQ(output, new_output);
      }
      if (output != kEarlierOutput) {
        EXPECT_TRUE(start.status == ExitStatus::Done || file == "prepre.res") << "replaced by a failed start";
      }

      // The result file: absent, or true.
      const std::string result_path = *folder / "prepre.res";
      if (std::filesystem::exists(result_path)) {
        const std::string result = ReadFile(result_path);
        if (op == FileOp::Remove && file == "prepre.res") {
          EXPECT_EQ(result, kEarlierResult);  // the start ended before doing anything
        } else {
          EXPECT_EQ(start.status, ExitStatus::Done) << result;
          EXPECT_EQ(result, scenario == Scenario::Setup
                                ? "kivrel.pre\r\nversion:4\r\n0\r\n\r\n"
                                : "kivrel.pre\r\nversion:4\r\n" + (*folder / "part.pr1") + "\r\n0\r\n\r\n");
        }
      }
    }
  }
  EXPECT_GE(injected, 30);
  std::cout << "[ faults   ] " << injected << " faults injected and survived\n";
}

}  // namespace
}  // namespace kivrel
